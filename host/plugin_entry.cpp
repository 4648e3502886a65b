#include "host/plugin_entry.h"

#include <cstring>

#include "host/host_api.h"
#include "host/plugin_globals.h"
#include "host/plugin_texts.h"
#include "ui/search_window.h"

int WINAPI OnSearchCommand(HWND hostMainWindow, intptr_t) {
    if (g_searchState) return RaiseSearchWindow();
    return static_cast<int>(reinterpret_cast<intptr_t>(OpenSearchWindow(hostMainWindow)));
}

void AddSearchMenuItem(HMENU menu, int menuType) {
    if (menuType != 0) return;
    HMENU subMenu = GetSubMenu(menu, 4);
    int commandId = g_hostApi.BKA_RegisterCommand(kPlugInDescription, 0, OnSearchCommand);
    AppendMenuA(subMenu, MF_STRING, static_cast<UINT_PTR>(commandId), kSearchMenuItem);
}

void FillPlugInInfo(char* record) {
    lstrcpyA(record, kPlugInName);
    lstrcpyA(record + 80, kPlugInVendor);
    lstrcpyA(record + 160, kPlugInVersion);
    lstrcpyA(record + 240, kPlugInDescription);
}

void ShowAboutBox(HWND owner) {
    MessageBoxA(owner, kAboutText, kPlugInName, MB_OK);
}

// The about box is the thread's standard dialog with the plug-in's caption.
static BOOL CALLBACK CloseIfAboutBox(HWND window, LPARAM found) {
    char name[16] = "";
    char caption[64] = "";
    // The class first: only dialogs are asked for their caption.
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") != 0) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(caption, kPlugInName) == 0) {
        *reinterpret_cast<bool*>(found) = true;
        SendMessageA(window, WM_COMMAND, IDOK, 0);  // ends its loop, as its button does
    }
    return TRUE;
}

static void CloseAboutBoxForExit() {
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), CloseIfAboutBox, reinterpret_cast<LPARAM>(&found));
    if (found) KeepLibraryLoaded();
}

void CloseWindowsForExit() {
    CloseSearchWindowForExit();
    CloseAboutBoxForExit();
}
