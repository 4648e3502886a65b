// A host that only tries to load Quenfold.dll from its own folder: built
// without some of the host functions, so the plug-in must refuse the load, or
// decide by the version text given as the argument.
// Exit code 0 when the plug-in loaded, 1 when it was refused.
#include <windows.h>

#include <cstdio>

#ifdef DEVHOST_VERSION_ARGUMENT
#include "devhost/devhost_control.h"
#endif
#include "devhost/plugin_loader.h"

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifdef DEVHOST_VERSION_ARGUMENT
    if (argc > 1) DevhostSetVersion(argv[1]);
#endif
    LoadedPlugin plugin = LoadPluginBesideHost();
    if (!plugin.module) {
        printf("refused (error %lu)\n", plugin.error);
        return 1;
    }
    printf("loaded\n");
    FreeLibrary(plugin.module);
    return 0;
}
