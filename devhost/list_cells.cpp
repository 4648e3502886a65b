#include "devhost/list_cells.h"

#include <commctrl.h>

std::string ListCellText(HWND list, int row, int column) {
    char text[1024] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void ClickListRow(HWND list, int row, UINT down) {
    RECT rect = {};
    GetClientRect(list, &rect);
    LPARAM point = MAKELPARAM(10, rect.bottom - 3);
    if (row >= 0) {
        rect.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        point = MAKELPARAM(rect.left + 10, (rect.top + rect.bottom) / 2);
    }
    bool left = down == WM_LBUTTONDOWN;
    PostMessageA(list, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, point);
    SendMessageA(list, down, left ? MK_LBUTTON : MK_RBUTTON, point);
}
