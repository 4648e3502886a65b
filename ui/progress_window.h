// The small window with the abort button that stays up while a search runs.
#pragma once

#include <windows.h>

// Shows the progress window over owner; null if it cannot be made. The search
// command destroys it once the search has returned.
HWND CreateProgressWindow(HWND owner);
INT_PTR CALLBACK ProgressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
