// Input to the results list that moves its one selection.
#pragma once

#include <windows.h>

// Routes the list's keys and clicks through the plug-in first, so that a
// selection change costs the same whatever the number of rows.
void KeepSelectionChangesCheap(HWND list);
