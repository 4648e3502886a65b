#include "ui/list_input.h"

#include <commctrl.h>

#include "host/plugin_globals.h"
#include "search/search_state.h"
#include "ui/search_window_state.h"

// Wine's list deselects by walking every row of an owner-data list whenever
// a row is selected (LISTVIEW_DeselectAllSkipItems), and each key, typed
// letter or click that moves the selection deselects first: in a list of a
// million rows most of a second a key. With no row selected the walk
// is skipped. So the selected row is deselected before such input reaches
// the list, and selected again if the input selected nothing else. Windows'
// list does not walk; it ends with the same selection either way.

int32_t NextRow(HWND list, UINT flag) {
    return static_cast<int32_t>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag));
}

void SetRowState(HWND list, int32_t row, UINT state, UINT mask) {
    if (row < 0) return;
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// A row the click lands on, or -1.
static int32_t RowAt(HWND list, LPARAM point) {
    LVHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(point));
    hit.pt.y = static_cast<short>(HIWORD(point));
    int32_t row =
        static_cast<int32_t>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & LVHT_ONITEM) ? row : -1;
}

// The selected row that the input may move the selection from, or -1; looked
// for only on such input, since finding none is a walk of its own in Wine.
// restore: the row comes back if the input selects nothing else (a key that
// found no row to go to); a click beside the rows deselects for good, unless
// Ctrl or Shift is down. Ctrl+Space, which toggles on Windows, is left alone.
static int32_t RowToDeselect(HWND list, UINT message, WPARAM wParam, LPARAM lParam, bool* restore) {
    *restore = true;
    switch (message) {
        case WM_KEYDOWN:
            return wParam >= VK_PRIOR && wParam <= VK_DOWN ? NextRow(list, LVNI_SELECTED) : -1;
        case WM_CHAR:  // type-to-find
            return NextRow(list, LVNI_SELECTED);
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            int32_t selected = NextRow(list, LVNI_SELECTED), row = RowAt(list, lParam);
            if (row >= 0) return row != selected ? selected : -1;
            *restore = false;
            return (wParam & (MK_SHIFT | MK_CONTROL)) ? -1 : selected;
        }
        default:
            return -1;
    }
}

// The list stays a Unicode window: its type-to-find gets its characters as
// they were typed, with no trip through the code page.
static LRESULT CALLBACK ResultListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC listProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_USERDATA));
    SearchWindowState* state = g_searchState;
    if (!state || state->listView != list)
        return CallWindowProcW(listProc, list, message, wParam, lParam);
    bool restore = false;
    int32_t selected = RowToDeselect(list, message, wParam, lParam, &restore);
    SetRowState(list, selected, 0, LVIS_SELECTED);
    // Any message may run a loop of the list's or the system's (a click, a
    // scroll bar's drag, a menu) where the host's messages run and the host
    // may exit: this frame holds the state, and the library stays loaded.
    BeginHostCall(state);
    LRESULT result = CallWindowProcW(listProc, list, message, wParam, lParam);
    if (EndHostCall(state) && selected >= 0 && restore && NextRow(list, LVNI_SELECTED) < 0)
        SetRowState(list, selected, LVIS_SELECTED, LVIS_SELECTED);
    return result;
}

void KeepSelectionChangesCheap(HWND list) {
    SetWindowLongPtrW(list, GWLP_USERDATA, GetWindowLongPtrW(list, GWLP_WNDPROC));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultListProc));
}
