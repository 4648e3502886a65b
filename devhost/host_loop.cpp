#include "devhost/host_loop.h"

#include "devhost/host_state.h"

namespace {

// Command ids of the accelerators, beside the plug-in's (from 40000).
const WORD kHostDelete = 301, kHostEnter = 302, kHostEscape = 303;

HACCEL HostAccelerators() {
    static HACCEL table = [] {
        ACCEL keys[] = {{FVIRTKEY, VK_DELETE, kHostDelete},
                        {FVIRTKEY, VK_RETURN, kHostEnter},
                        {FVIRTKEY, VK_ESCAPE, kHostEscape}};
        return CreateAcceleratorTableA(keys, sizeof keys / sizeof keys[0]);
    }();
    return table;
}

}  // namespace

void HandleHostMessage(HostLoop loop, HWND mainWindow, MSG* msg) {
    if (loop == kDialogManagerLoop) {
        HWND active = GetActiveWindow();
        if (active && IsDialogMessageA(active, msg)) return;
    }
    // The key's name stands for the command: a host's own window handles it.
    if (TranslateAcceleratorA(mainWindow, HostAccelerators(), msg)) {
        const char* name = msg->wParam == VK_DELETE   ? "Delete"
                           : msg->wParam == VK_RETURN ? "Enter"
                                                      : "Esc";
        g_devhost.hostCommandLog.push_back(name);
        return;
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
}

void PumpHostLoop(HostLoop loop, HWND mainWindow) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) HandleHostMessage(loop, mainWindow, &msg);
}

std::vector<std::string> DevhostHostCommandLog() {
    return g_devhost.hostCommandLog;
}
