#include "ui/search_window.h"

#include <cstring>

#include "host/host_api.h"
#include "host/plugin_entry.h"
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
    // A window destroyed during a search keeps its state until the search
    // unwinds; its old handle may name another window by then.
    if (g_searchState && g_searchState->windowGone) return FALSE;
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

// A search or a call into the host's loop is under way with our frames on
// the host's stack: the state must outlive the window until they unwind.
static bool StateInUse(const SearchWindowState* state) {
    return state->searching || state->inHostCall;
}

// Frees the state of a window that is gone, once nothing still holds it.
// The window's handle goes with it.
static void ReleaseStateOfGoneWindow(SearchWindowState* state) {
    if (!state->windowGone || StateInUse(state)) return;
    DestroySearchWindowState(state);
    delete state;
    g_searchState = nullptr;
    g_searchWindow = nullptr;
}

// The last message the window gets, whoever destroys it: its close button,
// the host's exit, or the host destroying its thread's windows.
static void OnSearchWindowDestroyed(HWND dialog) {
    SearchWindowState* state = g_searchState;
    if (!state || state->dialog != dialog) return;
    state->windowGone = 1;
    state->idle = 1;  // a search still running stops at its next drain
    ReleaseStateOfGoneWindow(state);
}

// The host may run its own loop inside the call, where a new search frees
// the records: it gets a copy of the id that outlives them.
static void ShowMessageInHost(const RefString& messageId, SearchWindowState* state) {
    char id[256];
    size_t length = std::strlen(TextOf(messageId));
    if (length >= sizeof id) length = sizeof id - 1;
    std::memcpy(id, TextOf(messageId), length);
    id[length] = '\0';
    uint8_t outerCall = state->inHostCall;
    state->inHostCall = 1;
    g_hostApi.BKA_SetCurrentMail(id);
    state->inHostCall = outerCall;
}

static void OnSearchNotify(const NMHDR* header, SearchWindowState* state) {
    AttachmentRecord* record = OnResultDoubleClick(header, state);
    if (record && record->messageId.node) {
        ShowMessageInHost(record->messageId, state);
        if (state->windowGone) {  // the host closed us inside its loop
            ReleaseStateOfGoneWindow(state);
            return;
        }
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
    DestroyWindow(dialog);  // its last message frees the state
}

// Undoes only the search's own disabling: a window that was disabled before
// it, or that someone else enabled meanwhile (a host dialog that ended), is
// left as they left it.
static void RestoreEnabled(HWND window, BOOL wasDisabled) {
    if (!wasDisabled && !IsWindowEnabled(window)) EnableWindow(window, TRUE);
}

static void SearchCommand(HWND dialog) {
    SearchWindowState* state = g_searchState;
    if (!state || state->searching) return;  // one search at a time
    HWND hostMainWindow = g_hostMainWindow;
    BOOL hostWasDisabled = EnableWindow(hostMainWindow, FALSE);
    BOOL dialogWasDisabled = EnableWindow(dialog, FALSE);
    HWND progress = CreateProgressWindow(dialog);
    state->progressWindow = progress;
    bool includeSubfolders = IsDlgButtonChecked(dialog, IDC_SEARCH_SUBFOLDERS) == BST_CHECKED;
    state->searching = 1;
    try {
        RunSearch(includeSubfolders);
    } catch (...) {
        // Whatever ended it, the list draws again and the windows come back
        // as they were.
        EndRowBatch(state);
        state->idle = 1;
    }
    state->searching = 0;
    if (!state->hostExited) RestoreEnabled(hostMainWindow, hostWasDisabled);
    if (!state->windowGone) RestoreEnabled(dialog, dialogWasDisabled);
    state->progressWindow = nullptr;
    if (progress) DestroyWindow(progress);
    if (state->windowGone)
        ReleaseStateOfGoneWindow(state);
    else if (state->closeRequested)
        DestroyWindow(dialog);
}

void CloseSearchWindowForExit() {
    SearchWindowState* state = g_searchState;
    if (!state) return;
    if (StateInUse(state)) KeepLibraryLoaded();  // our frames are still on the host's stack
    state->hostExited = 1;
    if (!state->windowGone) CloseSearchWindow(state->dialog);
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
