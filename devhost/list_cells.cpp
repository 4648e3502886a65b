#include "devhost/list_cells.h"

#include <commctrl.h>

#include <cstring>

std::string ListCellText(HWND list, int row, int column) {
    char text[1024] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void ClickListRow(HWND list, int row, UINT down, WPARAM keys) {
    RECT rect = {};
    GetClientRect(list, &rect);
    LPARAM point = MAKELPARAM(10, rect.bottom - 3);
    if (row >= 0) {
        rect.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        point = MAKELPARAM(rect.left + 10, (rect.top + rect.bottom) / 2);
    }
    // Ctrl and Shift are down in the message and in the thread's key state
    // while the list takes the click: a list may read either (Wine's reads the
    // message).
    BYTE state[256] = {}, held[256] = {};
    if (keys) {
        GetKeyboardState(state);
        memcpy(held, state, sizeof held);
        if (keys & MK_CONTROL) held[VK_CONTROL] = 0x80;
        if (keys & MK_SHIFT) held[VK_SHIFT] = 0x80;
        SetKeyboardState(held);
    }
    bool left = down == WM_LBUTTONDOWN;
    PostMessageA(list, left ? WM_LBUTTONUP : WM_RBUTTONUP, keys, point);
    SendMessageA(list, down, (left ? MK_LBUTTON : MK_RBUTTON) | keys, point);
    if (keys) SetKeyboardState(state);
}
