// The plug-in's search window: a modeless, resizable dialog with the results
// list, the search and filter commands, and a close button.
#pragma once

#include <windows.h>

#include "ui/window_lifecycle.h"  // CloseSearchWindowForExit

// Stores the host's main window and creates the search window, owned by no
// window. Returns the new window, or null when it could not be made.
HWND OpenSearchWindow(HWND hostMainWindow);
// Brings the open search window to the top without moving or sizing it.
BOOL RaiseSearchWindow();
INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
