#include "devhost/plugin_loader.h"

typedef int(WINAPI* OnMenuInitFn)(intptr_t ignored, HMENU menu, intptr_t menuType);
typedef int(WINAPI* OnExitFn)();
typedef int(WINAPI* OnPlugInSetupFn)(HWND owner);

static std::string HostFolder() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

LoadedPlugin LoadPluginBesideHost() {
    LoadedPlugin plugin = {nullptr, 0, HostFolder() + "Quenfold.dll"};
    plugin.module = LoadLibraryA(plugin.path.c_str());
    if (!plugin.module) plugin.error = GetLastError();
    return plugin;
}

bool BuildPluginMenu(HMODULE plugin, HMENU menuBar) {
    OnMenuInitFn onMenuInit = reinterpret_cast<OnMenuInitFn>(
        reinterpret_cast<void*>(GetProcAddress(plugin, "BKC_OnMenuInit")));
    if (!onMenuInit) return false;
    onMenuInit(0, menuBar, 0);
    return true;
}

bool ShowPluginSetup(HMODULE plugin, HWND owner) {
    OnPlugInSetupFn onSetup = reinterpret_cast<OnPlugInSetupFn>(
        reinterpret_cast<void*>(GetProcAddress(plugin, "BKC_OnPlugInSetup")));
    if (!onSetup) return false;
    onSetup(owner);
    return true;
}

void UnloadPlugin(HMODULE plugin) {
    OnExitFn onExit =
        reinterpret_cast<OnExitFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "BKC_OnExit")));
    if (onExit) onExit();
    FreeLibrary(plugin);
}
