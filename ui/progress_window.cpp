#include "ui/progress_window.h"

#include "host/plugin_globals.h"
#include "search/search_state.h"
#include "ui/resource.h"

HWND CreateProgressWindow(HWND owner) {
    return CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressDialogProc,
                              0);
}

// The abort button and the close box both ask the running search to stop;
// the search sees the request at its next drain of the queue, within a
// long message too.
static BOOL OnProgressCommand(WORD id) {
    if (id != IDOK && id != IDCANCEL) return FALSE;
    if (g_searchState) g_searchState->idle = 1;
    return TRUE;
}

INT_PTR CALLBACK ProgressDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_COMMAND:
            return OnProgressCommand(LOWORD(wParam));
        default:
            return FALSE;
    }
}
