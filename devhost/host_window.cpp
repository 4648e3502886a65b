#include "devhost/host_window.h"

#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "devhost/host_quit.h"
#include "devhost/host_state.h"
#include "devhost/mail_store.h"
#include "ui/resource.h"

namespace {

const char kClassName[] = "DevhostMainWindow";
const UINT_PTR kStatusTimer = 1;
const int kStatusHeight = 22;

HMENU CreateHostMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_DEVHOST_EXIT, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    const char* const others[] = {"&Edit", "&View", "F&older", "&Tools", "&Help"};
    for (const char* name : others) {
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), name);
    }
    return bar;
}

void FillFolderList(HWND folders) {
    SendMessageA(folders, LB_RESETCONTENT, 0, 0);
    for (const std::string& id : ListFolderIds(g_devhost.dataFolder)) {
        SendMessageA(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(id.c_str()));
    }
    LRESULT current = SendMessageA(folders, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(g_devhost.currentFolder.c_str()));
    if (current != LB_ERR) SendMessageA(folders, LB_SETCURSEL, current, 0);
}

void UpdateStatus(HWND window) {
    std::string status = "Current folder: " + g_devhost.currentFolder;
    if (!g_devhost.setCurrentMailLog.empty()) {
        status += "    Shown message: " + g_devhost.setCurrentMailLog.back();
    }
    char old[1024] = "";
    GetDlgItemTextA(window, IDC_DEVHOST_STATUS, old, sizeof old);
    if (status != old) SetDlgItemTextA(window, IDC_DEVHOST_STATUS, status.c_str());
}

LRESULT OnCreate(HWND window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND folders = CreateWindowExA(
        WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 0, 0, 0,
        0, window, reinterpret_cast<HMENU>(IDC_DEVHOST_FOLDERS), instance, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, window,
                    reinterpret_cast<HMENU>(IDC_DEVHOST_STATUS), instance, nullptr);
    SendMessageA(folders, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 0);
    FillFolderList(folders);
    SetTimer(window, kStatusTimer, 300, nullptr);
    return 0;
}

LRESULT OnSize(HWND window, int width, int height) {
    MoveWindow(GetDlgItem(window, IDC_DEVHOST_FOLDERS), 0, 0, width, height - kStatusHeight, TRUE);
    MoveWindow(GetDlgItem(window, IDC_DEVHOST_STATUS), 4, height - kStatusHeight + 3, width - 8,
               kStatusHeight - 4, TRUE);
    return 0;
}

void OnFolderPicked(HWND window) {
    HWND folders = GetDlgItem(window, IDC_DEVHOST_FOLDERS);
    LRESULT index = SendMessageA(folders, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    char id[MAX_PATH] = "";
    if (SendMessageA(folders, LB_GETTEXTLEN, index, 0) >= MAX_PATH) return;
    SendMessageA(folders, LB_GETTEXT, index, reinterpret_cast<LPARAM>(id));
    DevhostSetCurrentFolder(id);
    UpdateStatus(window);
}

LRESULT OnCommand(HWND window, int id, int code) {
    if (id == IDM_DEVHOST_EXIT) {
        DestroyWindow(window);
    } else if (id == IDC_DEVHOST_FOLDERS && code == LBN_SELCHANGE) {
        OnFolderPicked(window);
    } else {
        // Every other menu command is one the plug-in registered.
        DevhostRunCommand(id, window);
    }
    return 0;
}

LRESULT OnTimer(HWND window, UINT_PTR id) {
    if (id == kHostQuitTimer) {
        OnHostQuitTimer();
    } else {
        UpdateStatus(window);
    }
    return 0;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_SIZE:
            return OnSize(window, LOWORD(lParam), HIWORD(lParam));
        case WM_COMMAND:
            return OnCommand(window, LOWORD(wParam), HIWORD(wParam));
        case WM_TIMER:
            return OnTimer(window, wParam);
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateHostWindow(HINSTANCE instance, bool visible) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, kClassName, "devhost", WS_OVERLAPPEDWINDOW, 620, 80, 560, 420,
                                  nullptr, CreateHostMenu(), instance, nullptr);
    if (window && visible) ShowWindow(window, SW_SHOW);
    return window;
}
