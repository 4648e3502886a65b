// A host that only tries to load Quenfold.dll from its own folder: built
// without some of the host functions, so the plug-in must refuse the load.
// Exit code 0 when the plug-in loaded, 1 when it was refused.
#include <windows.h>

#include <cstdio>

#include "devhost/plugin_loader.h"

int main() {
    LoadedPlugin plugin = LoadPluginBesideHost();
    if (!plugin.module) {
        printf("refused (error %lu)\n", plugin.error);
        return 1;
    }
    printf("loaded\n");
    FreeLibrary(plugin.module);
    return 0;
}
