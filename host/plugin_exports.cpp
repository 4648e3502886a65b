// The callbacks the host calls, exported by ordinal through Quenfold.def.
// Only the menu, exit, information and about callbacks do anything.
#include <windows.h>

#include "host/plugin_entry.h"

extern "C" {

// A line a callback that does nothing.
// clang-format off
int WINAPI BKC_OnStart() { return 0; }
int WINAPI BKC_OnExit() {
    CloseWindowsForExit();
    return 0;
}
int WINAPI BKC_OnMenuInit(HWND, HMENU menu, int menuType) {
    AddSearchMenuItem(menu, menuType);
    return 0;
}
int WINAPI BKC_OnOpenFolder(LPCSTR) { return 0; }
int WINAPI BKC_OnOpenMail(LPCSTR) { return 0; }
int WINAPI BKC_OnEveryMinute() { return 0; }
int WINAPI BKC_OnOpenCompose(HWND, int) { return 0; }
int WINAPI BKC_OnOutgoing(HWND, int) { return 0; }
int WINAPI BKC_OnKeyDispatch(HWND, int, int) { return 0; }
int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI BKC_OnSend(LPCSTR) { return 0; }
int WINAPI BKC_OnFinishRetrieve(int) { return 0; }
int WINAPI BKC_OnPlugInSetup(HWND owner) {
    ShowAboutBox(owner);
    return 1;
}
int WINAPI BKC_OnPlugInInfo(char* record) {
    FillPlugInInfo(record);
    return 0;
}
int WINAPI BKC_OnDragDrop(HWND, HWND, int, int) { return 0; }
int WINAPI BKC_OnBeforeFilter2(LPCSTR, LPCSTR, int, int) { return 0; }
// clang-format on

}  // extern "C"
