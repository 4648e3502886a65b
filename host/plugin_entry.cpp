#include "host/plugin_entry.h"

#include <cstring>
#include <cwchar>

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

// The about box is the thread's standard dialog with the plug-in's caption,
// which no other window of ours has (theirs begin "Quenfold" and go on
// otherwise). Compared in UTF-16, as the box keeps it: read back through an
// ANSI code page other than 932 (Windows' UTF-8 one), the bytes would differ.
static BOOL CALLBACK CloseIfAboutBox(HWND window, LPARAM found) {
    char name[16] = "";
    // The class first: only dialogs are asked for their caption.
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") != 0) return TRUE;
    WCHAR caption[64] = L"", aboutCaption[64] = L"";
    GetWindowTextW(window, caption, 64);
    MultiByteToWideChar(CP_ACP, 0, kPlugInName, -1, aboutCaption, 64);
    if (std::wmemcmp(caption, aboutCaption, 64) == 0) {  // both zero-filled past their end
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
