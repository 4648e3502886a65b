// The stand-in host's message loops: the plug-in's windows must work in
// either, as they must in any mail client's.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum HostLoop {
    // The dialog manager gets each message for the active window first, then
    // the host's accelerators and the usual translate and dispatch.
    kDialogManagerLoop,
    // As many hosts run it: their accelerators, then translate and dispatch.
    kPlainLoop,
};

// One message as the loop handles it. The host's accelerators are those of a
// mail client's main window: Delete, Enter and Esc run host commands, which
// are logged by key name ("Delete", "Enter", "Esc").
void HandleHostMessage(HostLoop loop, HWND mainWindow, MSG* msg);
// Every message in the queue, as the loop handles it.
void PumpHostLoop(HostLoop loop, HWND mainWindow);
// The host commands its accelerators ran since the last DevhostReset.
std::vector<std::string> DevhostHostCommandLog();
