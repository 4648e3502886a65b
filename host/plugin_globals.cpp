#include "host/plugin_globals.h"

#include <windows.h>

HINSTANCE g_instance;
HWND g_hostMainWindow;
HWND g_searchWindow;
SearchWindowState* g_searchState;

void KeepLibraryLoaded() {
    HMODULE self;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&KeepLibraryLoaded), &self);
}
