// devhost: the project's stand-in for the mail client. It serves a mail store
// from a data folder, loads Quenfold.dll from its own folder and offers the
// plug-in's command in its menu; in script mode it plays one search session
// against the search window and writes the rows as TSV, or ends the session
// with its own quit.
#include <windows.h>
// After <windows.h>, which it builds on.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "devhost/common_controls.h"
#include "devhost/crash_exit.h"
#include "devhost/devhost_control.h"
#include "devhost/host_loop.h"
#include "devhost/host_window.h"
#include "devhost/mail_store.h"
#include "devhost/message_text.h"
#include "devhost/plugin_loader.h"
#include "devhost/script_options.h"
#include "devhost/script_run.h"

static std::vector<std::wstring> WideArguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return args;
}

static int RunInteractive(HostLoop loop, HWND mainWindow) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) HandleHostMessage(loop, mainWindow, &msg);
    return 0;
}

int main() {
    ExitOnCrash();
    ScriptOptions options;
    std::string error;
    if (!ParseScriptOptions(WideArguments(), &options, &error)) {
        fprintf(stderr,
                "devhost: %s\nusage: devhost.exe --data DIR [--folder ID] [--version TEXT] "
                "[--search] [--no-subfolders] [--filter TEXT] [--sort COLUMN]... [--tsv FILE] "
                "[--screenshot FILE.bmp] [--comctl 5|6] [--quit-host open|searching|about] "
                "[--loop dialog|plain]\n",
                error.c_str());
        return 2;
    }
    if (!DirectoryExists(options.dataFolder)) {
        fprintf(stderr, "devhost: the data folder '%s' does not exist\n",
                options.dataFolder.c_str());
        return 3;
    }
    // A search from a folder that is not there would list no rows, which reads
    // like a folder without attachments.
    if (options.scriptMode &&
        !DirectoryExists(WithTrailingBackslash(options.dataFolder) + options.folderId)) {
        fprintf(stderr, "devhost: the folder '%s' is not in the data folder '%s'\n",
                options.folderId.c_str(), options.dataFolder.c_str());
        return 3;
    }
    // A host of today carries a manifest for common controls 6; --comctl 5
    // plays one without, as older hosts are.
    int commonControls = options.commonControls ? options.commonControls : CommonControlsWanted(6);
    if (commonControls == 6 && !ActivateCommonControls6()) {
        fprintf(stderr, "devhost: cannot activate common controls 6 (error %lu)\n", GetLastError());
        return 8;
    }
    DevhostInit();
    DevhostSetDataFolder(options.dataFolder);
    DevhostSetCurrentFolder(options.folderId);
    if (!options.version.empty()) DevhostSetVersion(options.version);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND mainWindow = CreateHostWindow(instance, !options.scriptMode);
    LoadedPlugin plugin = LoadPluginBesideHost();
    if (!plugin.module) {
        fprintf(stderr, "devhost: cannot load '%s' (error %lu)\n", plugin.path.c_str(),
                plugin.error);
        DestroyWindow(mainWindow);
        return 4;
    }
    BuildPluginMenu(plugin.module, GetMenu(mainWindow));
    DrawMenuBar(mainWindow);
    std::vector<int> commands = DevhostCommandIds();

    int status = 0;
    if (options.scriptMode && commands.empty()) {
        fprintf(stderr, "devhost: the plug-in registered no command\n");
        status = 5;
    } else if (!options.quitHost.empty()) {
        // The quit unloads the plug-in and destroys the main window itself.
        status = RunQuitScript(options, mainWindow, commands.back(), plugin.module);
        plugin.module = nullptr;
    } else if (options.scriptMode) {
        status = RunScript(options, mainWindow, commands.back());
    } else {
        status = RunInteractive(options.plainLoop ? kPlainLoop : kDialogManagerLoop, mainWindow);
    }
    if (plugin.module) {
        if (options.scriptMode) {
            DestroyWindow(mainWindow);
            PumpMessagesFor(0);
        }
        UnloadPlugin(plugin.module);
    }

    DevhostCounters counters = DevhostGetCounters();
    if (DevhostOutstandingTexts() != 0 || counters.doubleFrees != 0 || counters.unknownFrees != 0) {
        fprintf(stderr, "devhost: texts not freed %d, freed twice %d, unknown frees %d\n",
                DevhostOutstandingTexts(), counters.doubleFrees, counters.unknownFrees);
        if (status == 0) status = 7;
    }
    for (const std::string& name : DevhostUncalledLog()) {
        fprintf(stderr, "devhost: the plug-in called %s\n", name.c_str());
        if (status == 0) status = 7;
    }
    return status;
}
