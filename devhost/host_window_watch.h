// Watches the plug-in's own calls on the host's windows: its imports of the
// window functions that take a window are redirected through devhost, which
// logs every such call on the main window or one of its children once the
// exit callback has come (DevhostCallsAfterExit). A call on a window the host
// has destroyed by then leaves no other trace.
#pragma once

#include <windows.h>

// Redirects the plug-in's imports; call once, with the plug-in loaded.
void WatchHostWindowCalls(HMODULE plugin, HWND mainWindow);
// The host's windows as they are at the exit: the main window and its children.
void NoteHostWindowsAtExit();
