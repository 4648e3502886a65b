// A modeless dialog gets Tab, Esc and Enter only from a loop that hands them
// to the dialog manager; a host's loop may give our keys to its accelerators
// (a mail client's Delete deletes a message) or to nobody. A hook on the
// thread's message retrieval gives them to the dialog manager first and
// leaves the loop an empty message (WM_NULL): none is handled twice.
#include "ui/dialog_keys.h"

#include "host/plugin_globals.h"
#include "search/search_state.h"
#include "ui/resource.h"
#include "ui/search_window_state.h"

// A character outside ASCII comes as the code page's bytes or as UTF-16 as
// the loop reads messages in the A or W form, which a hook cannot tell: the
// loop dispatches it in its own form (an input method's results among them).
static bool IsRoutedKey(const MSG* msg) {
    UINT m = msg->message;
    if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) return true;
    bool character = m == WM_CHAR || m == WM_DEADCHAR || m == WM_SYSCHAR || m == WM_SYSDEADCHAR;
    return character && msg->wParam < 0x80;
}

// The system's menu and move loops read our keys too, after acting on them.
static bool InSystemLoop() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE));
}

// Enter is the filter box's (it applies the filter) and the list's (it tells
// its row, NM_RETURN); the dialog manager would make it IDOK, which closes
// the window. Untranslated, no Enter character follows it.
static bool AnswerEnter(const SearchWindowState* state, const MSG* msg) {
    if (msg->message != WM_KEYDOWN || msg->wParam != VK_RETURN) return false;
    if (msg->hwnd == state->listView) {
        DispatchMessageA(msg);
        return true;
    }
    if (msg->hwnd != GetDlgItem(state->dialog, IDC_FILTER_TEXT)) return false;
    SendMessageA(state->dialog, WM_COMMAND, IDC_APPLY_FILTER, 0);  // the focus stays in the box
    return true;
}

static bool TakeKey(MSG* msg) {
    SearchWindowState* state = g_searchState;
    if (!state || state->phase == kWindowGone || !IsRoutedKey(msg)) return false;
    HWND window = GetAncestor(msg->hwnd, GA_ROOT);
    if (!window || (window != state->dialog && window != state->progressWindow)) return false;
    if (InSystemLoop()) return false;
    // A key may start a search, close the window or run a loop of the
    // system's where the host exits: the state is held meanwhile.
    BeginHostCall(state);
    bool taken = AnswerEnter(state, msg) || IsDialogMessageA(window, msg);
    EndHostCall(state);
    return taken;
}

static LRESULT CALLBACK OnMessageRetrieved(int code, WPARAM removal, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && TakeKey(msg))
        *msg = MSG{msg->hwnd, WM_NULL, 0, 0, msg->time, msg->pt};
    return CallNextHookEx(nullptr, code, removal, lParam);
}

HHOOK RouteKeysToDialogs() {
    // This thread alone: with no module, the system refuses a process-wide hook.
    return SetWindowsHookExA(WH_GETMESSAGE, OnMessageRetrieved, nullptr, GetCurrentThreadId());
}

void StopRoutingKeys(HHOOK* hook) {
    if (*hook) UnhookWindowsHookEx(*hook);
    *hook = nullptr;
}
