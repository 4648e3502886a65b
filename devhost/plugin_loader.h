// Loads Quenfold.dll from the host executable's own folder and lets it build
// the host's menu of type 0.
#pragma once

#include <windows.h>

#include <string>

struct LoadedPlugin {
    HMODULE module;
    DWORD error;       // GetLastError of a refused load
    std::string path;  // where it was looked for
};

LoadedPlugin LoadPluginBesideHost();
// Calls BKC_OnMenuInit(0, menu, 0) if the plug-in exports it; false otherwise.
bool BuildPluginMenu(HMODULE plugin, HMENU menuBar);
// Calls BKC_OnPlugInSetup(owner), which shows the about box until it is
// dismissed; false if the plug-in does not export it.
bool ShowPluginSetup(HMODULE plugin, HWND owner);
// Calls BKC_OnExit and unloads the plug-in.
void UnloadPlugin(HMODULE plugin);
