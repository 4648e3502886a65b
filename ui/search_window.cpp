#include "ui/search_window.h"

#include "host/host_api.h"
#include "host/plugin_globals.h"
#include "search/search_driver.h"
#include "search/search_state.h"
#include "ui/progress_window.h"
#include "ui/resource.h"
#include "ui/result_filter.h"
#include "ui/result_list.h"
#include "ui/search_window_state.h"
#include "ui/window_layout.h"
#include "ui/window_lifecycle.h"

HWND OpenSearchWindow(HWND hostMainWindow) {
    g_hostMainWindow = hostMainWindow;
    g_searchWindow =
        CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_SEARCH), nullptr, SearchDialogProc, 0);
    // A window whose state could not be made has destroyed itself already.
    if (!g_searchState) g_searchWindow = nullptr;
    return g_searchWindow;
}

BOOL RaiseSearchWindow() {
    // A destroyed window's state stays while a frame of ours holds it (a search,
    // a call into the host); its old handle may name another window by then.
    if (g_searchState && g_searchState->phase == kWindowGone) return FALSE;
    return SetWindowPos(g_searchWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

static BOOL OnInitSearchDialog(HWND dialog) {
    CheckDlgButton(dialog, IDC_SEARCH_SUBFOLDERS, BST_CHECKED);
    try {
        g_searchState = CreateSearchWindowState(dialog);
    } catch (...) {
        DestroyWindow(dialog);  // out of memory: no window without its state
    }
    return FALSE;
}

// A double-click or Enter on a row. The host may run its own loop inside the
// call, where a new search frees the records, or the window goes: it gets a
// copy of the id that outlives them, and the state is held across the call.
static void ShowChosenMessage(const NMHDR* header, SearchWindowState* state) {
    AttachmentRecord* record = OnResultDoubleClick(header, state);
    if (!record || !record->messageId.node) return;
    char id[256];
    lstrcpynA(id, TextOf(record->messageId), sizeof id);  // at most 255 bytes, ended
    BeginHostCall(state);
    g_hostApi.BKA_SetCurrentMail(id);
    EndHostCall(state);
}

// A found row is the dialog's result, which only a TRUE return passes on.
static BOOL ReturnFoundRow(HWND dialog, int32_t row) {
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, row);
    return TRUE;
}

// The list is the only control that notifies: one handler a notification. A
// cell's text goes into the list's own buffer, not the dialog's result.
static BOOL OnListNotify(HWND dialog, NMHDR* header, SearchWindowState* state) {
    switch (header->code) {
        case LVN_GETDISPINFOA:
            AnswerResultCell(reinterpret_cast<NMLVDISPINFOA*>(header), state);
            return FALSE;
        case LVN_ODFINDITEMA:
            return ReturnFoundRow(dialog,
                                  FindResultRow(reinterpret_cast<NMLVFINDITEMA*>(header), state));
        case LVN_ODFINDITEMW:
            return ReturnFoundRow(dialog,
                                  FindResultRow(reinterpret_cast<NMLVFINDITEMW*>(header), state));
        case NM_DBLCLK:
        case NM_RETURN:
            ShowChosenMessage(header, state);
            return FALSE;
        case LVN_COLUMNCLICK:
            OnColumnClick(header, state);
            return FALSE;
        default:
            return FALSE;
    }
}

// Undoes only the search's own disabling: a window that was disabled before
// it, or that someone else enabled meanwhile (a host dialog that ended), is
// left as they left it.
static void RestoreEnabled(HWND window, BOOL wasDisabled) {
    if (!wasDisabled && !IsWindowEnabled(window)) EnableWindow(window, TRUE);
}

static void SearchCommand(HWND dialog) {
    SearchWindowState* state = g_searchState;
    if (!state || !BeginSearch(state)) return;
    HWND hostMainWindow = g_hostMainWindow;
    BOOL hostWasDisabled = EnableWindow(hostMainWindow, FALSE);
    BOOL dialogWasDisabled = EnableWindow(dialog, FALSE);
    state->progressWindow = CreateProgressWindow(dialog);
    bool includeSubfolders = IsDlgButtonChecked(dialog, IDC_SEARCH_SUBFOLDERS) == BST_CHECKED;
    try {
        RunSearch(includeSubfolders);
    } catch (...) {
        // Whatever ended it, the list draws again and the windows come back
        // as they were.
        EndRowBatch(state);
        state->idle = 1;
    }
    if (!state->hostExited) RestoreEnabled(hostMainWindow, hostWasDisabled);
    if (state->phase != kWindowGone) RestoreEnabled(dialog, dialogWasDisabled);
    if (state->progressWindow) DestroyWindow(state->progressWindow);
    state->progressWindow = nullptr;
    EndSearch(state);  // may destroy the window and free the state
}

static void FilterCommand(HWND dialog) {
    if (!g_searchState || SearchRunning(g_searchState)) return;  // the records are still coming in
    char filter[1024] = "";
    GetWindowTextA(GetDlgItem(dialog, IDC_FILTER_TEXT), filter, sizeof filter);
    ApplyFilter(filter);
}

static BOOL OnSearchDialogCommand(HWND dialog, WORD id) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
            RequestClose(dialog);
            return TRUE;
        case IDC_SEARCH:
            SearchCommand(dialog);
            return TRUE;
        case IDC_APPLY_FILTER:
            FilterCommand(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

static INT_PTR DispatchSearchMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    SearchWindowState* state = g_searchState;
    switch (message) {
        case WM_INITDIALOG:
            return OnInitSearchDialog(dialog);
        case WM_SIZE:
            if (state) LayOutControls(state);
            return FALSE;
        case WM_GETMINMAXINFO:
            if (state) LimitTrackSize(state, reinterpret_cast<MINMAXINFO*>(lParam));
            return FALSE;
        case WM_NOTIFY: {
            NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
            if (!state || header->hwndFrom != state->listView) return FALSE;
            return OnListNotify(dialog, header, state);
        }
        case WM_COMMAND:
            return OnSearchDialogCommand(dialog, LOWORD(wParam));
        case WM_NCDESTROY:
            OnSearchWindowDestroyed(dialog);
            return FALSE;
        default:
            return FALSE;
    }
}

// Nothing thrown may unwind into the system's frames: it would end the host.
INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return DispatchSearchMessage(dialog, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}
