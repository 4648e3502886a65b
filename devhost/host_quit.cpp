#include "devhost/host_quit.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "devhost/host_window_watch.h"
#include "devhost/plugin_loader.h"

namespace {

// A queue that still has messages after this long is not emptying.
const DWORD kQueueLimit = 10000;

struct HostQuit {
    HMODULE plugin;
    HWND mainWindow;
    bool started;
    bool insideMessage;
    std::vector<void*> textsOut;  // what the plug-in held of the host's when it quit
};

HostQuit g_quit = {};

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

struct QueueEnd {
    bool quitSeen;  // the quit message was among what came out
    bool emptied;   // false: still not empty after kQueueLimit
};

QueueEnd EmptyQueue() {
    QueueEnd end = {false, false};
    DWORD start = GetTickCount();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (GetTickCount() - start > kQueueLimit) return end;
        if (msg.message == WM_QUIT) {
            end.quitSeen = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    end.emptied = true;
    return end;
}

void PokeWindows() {
    for (HWND window : ThreadWindows()) {
        if (!IsWindow(window)) continue;
        SendMessageA(window, WM_NULL, 0, 0);
        if (IsWindow(window)) SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    }
}

// devhost makes no dialogs: each one on its thread is the plug-in's.
int PluginWindowsLeft() {
    int left = 0;
    for (HWND window : ThreadWindows()) {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (strcmp(name, "#32770") == 0) ++left;
    }
    return left;
}

}  // namespace

void PrepareHostQuit(HMODULE plugin, HWND mainWindow) {
    g_quit = {plugin, mainWindow, false, false, {}};
    WatchHostWindowCalls(plugin, mainWindow);
}

void ArmHostQuitTimer(UINT milliseconds) {
    SetTimer(g_quit.mainWindow, kHostQuitTimer, milliseconds, nullptr);
}

void DisarmHostQuitTimer() {
    KillTimer(g_quit.mainWindow, kHostQuitTimer);
}

void OnHostQuitTimer() {
    DisarmHostQuitTimer();
    if (!g_quit.started) QuitHost();
}

void QuitHost() {
    g_quit.started = true;
    g_quit.textsOut = DevhostTextsOut();
    g_quit.insideMessage = !g_quit.textsOut.empty();
    NoteHostWindowsAtExit();
    DevhostNoteExitCalled();
    UnloadPlugin(g_quit.plugin);
    DestroyWindow(g_quit.mainWindow);
}

bool HostQuitStarted() {
    return g_quit.started;
}

bool HostQuitCameInsideMessage() {
    return g_quit.insideMessage;
}

int FinishHostQuit(const char* mode, int status) {
    QueueEnd queue = EmptyQueue();
    if (!queue.quitSeen) {
        fprintf(stderr, "devhost: the host's quit message never came back to it\n");
        status = kHostQuitFault;
    }
    if (!queue.emptied) {
        fprintf(stderr, "devhost: the queue did not empty after the quit\n");
        status = kHostQuitFault;
    }
    PokeWindows();
    // The texts the plug-in held when the host quit are the host's to free.
    for (void* text : g_quit.textsOut) DevhostTakeBackText(text);
    std::vector<std::string> calls = DevhostCallsAfterExit();
    if (!calls.empty()) {
        std::string names;
        for (const std::string& name : calls) names += " " + name;
        fprintf(stderr, "devhost: the plug-in called the host after its exit callback:%s\n",
                names.c_str());
        status = kHostQuitFault;
    }
    printf("host quit (%s): plug-in windows left: %d, host calls after exit: %d\n", mode,
           PluginWindowsLeft(), static_cast<int>(calls.size()));
    fflush(stdout);
    return status;
}
