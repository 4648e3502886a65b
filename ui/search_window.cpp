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

HWND OpenSearchWindow(HWND hostMainWindow) {
    g_hostMainWindow = hostMainWindow;
    g_searchWindow =
        CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_SEARCH), nullptr, SearchDialogProc, 0);
    // A window whose state could not be made has destroyed itself already.
    if (!g_searchState) g_searchWindow = nullptr;
    return g_searchWindow;
}

BOOL RaiseSearchWindow() {
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

static void OnSearchNotify(const NMHDR* header, SearchWindowState* state) {
    AttachmentRecord* record = OnResultDoubleClick(header, state);
    if (record && record->messageId.node) {
        g_hostApi.BKA_SetCurrentMail(TextOf(record->messageId));
        state = g_searchState;  // the host may have run its loop and closed us
        if (!state) return;
    }
    OnColumnClick(header, state);
}

// A close that arrives while a search runs (a close from the taskbar reaches
// even a disabled window) must not free the records under the scanner: it
// stops the search, and the search command closes the window afterwards.
static void CloseSearchWindow(HWND dialog) {
    SearchWindowState* state = g_searchState;
    // "searching", not "idle": after an abort the search is still unwinding.
    if (state && state->searching) {
        state->idle = 1;
        state->closeRequested = 1;
        return;
    }
    DestroyWindow(dialog);
    if (state) {
        DestroySearchWindowState(state);
        delete state;
    }
    g_searchState = nullptr;
}

static void SearchCommand(HWND dialog) {
    SearchWindowState* state = g_searchState;
    if (!state || state->searching) return;  // one search at a time
    EnableWindow(g_hostMainWindow, FALSE);
    EnableWindow(dialog, FALSE);
    HWND progress = CreateProgressWindow(dialog);
    bool includeSubfolders = IsDlgButtonChecked(dialog, IDC_SEARCH_SUBFOLDERS) == BST_CHECKED;
    state->searching = 1;
    RunSearch(includeSubfolders);
    state->searching = 0;
    EnableWindow(g_hostMainWindow, TRUE);
    EnableWindow(dialog, TRUE);
    if (progress) DestroyWindow(progress);
    if (state->closeRequested) CloseSearchWindow(dialog);
}

static void FilterCommand(HWND dialog) {
    if (!g_searchState || g_searchState->searching) return;  // the records are still coming in
    char filter[1024] = "";
    GetWindowTextA(GetDlgItem(dialog, IDC_FILTER_TEXT), filter, sizeof filter);
    ApplyFilter(filter);
}

static BOOL OnSearchDialogCommand(HWND dialog, WORD id) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
            CloseSearchWindow(dialog);
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
        case WM_NOTIFY:
            if (state) OnSearchNotify(reinterpret_cast<const NMHDR*>(lParam), state);
            return FALSE;
        case WM_COMMAND:
            return OnSearchDialogCommand(dialog, LOWORD(wParam));
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
