#include "ui/list_input.h"

#include <commctrl.h>

#include "host/plugin_globals.h"
#include "search/search_state.h"
#include "ui/search_window_state.h"

// Whenever a row gets selected, Wine's list deselects the others by walking
// every row of an owner-data list (LISTVIEW_DeselectAllSkipItems) unless none
// is selected, and each key, letter or click that moves the selection does so:
// most of a second a key at a million rows. So the selected row is deselected
// before such input reaches the list, and selected again if the input selected
// nothing else. Windows' list does not walk; it ends with the same selection.

int32_t NextRow(HWND list, UINT flag) {
    return static_cast<int32_t>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag));
}

// Wine tests every row from the first for LVNI_SELECTED, but knows the focused
// row, a row's state and the selected count at once. The selected row is the
// focused one unless Ctrl moved the focus alone (with a key or a right-click).
int32_t SelectedRow(HWND list) {
    int32_t row = NextRow(list, LVNI_FOCUSED);
    if (row < 0 || !SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED))
        row = SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) ? NextRow(list, LVNI_SELECTED) : -1;
    return row;
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
    SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return (hit.flags & LVHT_ONITEM) ? hit.iItem : -1;
}

// The selected row that a key, a letter (type-to-find) or a click may move the
// selection from, or -1. restore: it comes back if the input selects nothing
// else; a click beside the rows deselects for good unless Ctrl or Shift is
// down. Ctrl+Space, which toggles on Windows, is left alone.
static int32_t RowToDeselect(HWND list, UINT message, WPARAM wParam, LPARAM lParam, bool* restore) {
    bool click = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN;
    bool key =
        message == WM_CHAR || (message == WM_KEYDOWN && wParam >= VK_PRIOR && wParam <= VK_DOWN);
    if (!click && !key) return -1;
    int32_t selected = SelectedRow(list), row = click ? RowAt(list, lParam) : -1;
    *restore = !click || row >= 0;
    if (row >= 0) return row != selected ? selected : -1;
    return click && (wParam & (MK_SHIFT | MK_CONTROL)) ? -1 : selected;
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
    if (EndHostCall(state) && selected >= 0 && restore && SelectedRow(list) < 0)
        SetRowState(list, selected, LVIS_SELECTED, LVIS_SELECTED);
    return result;
}

void KeepSelectionChangesCheap(HWND list) {
    SetWindowLongPtrW(list, GWLP_USERDATA, GetWindowLongPtrW(list, GWLP_WNDPROC));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultListProc));
}
