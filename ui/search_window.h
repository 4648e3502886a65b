// The plug-in's search window: a modeless, resizable dialog with the results
// list, the search and filter commands, and a close button.
#pragma once

#include <windows.h>

// Stores the host's main window and creates the search window, owned by no
// window. Returns the new window, or null when it could not be made.
HWND OpenSearchWindow(HWND hostMainWindow);
// Brings the open search window to the top without moving or sizing it.
BOOL RaiseSearchWindow();
// The host is about to unload the library: the window goes as its close
// button makes it go. A search still running is told to stop and close the
// window, and the library stays loaded until it has unwound.
void CloseSearchWindowForExit();
INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
