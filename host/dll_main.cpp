// The library's entry function: binds the host's functions at load and
// refuses to load into a process that lacks them.
#include <windows.h>

#include "host/host_api.h"
#include "host/plugin_globals.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    g_instance = instance;
    if (reason == DLL_PROCESS_ATTACH && !BindHostApi()) return FALSE;
    return TRUE;
}
