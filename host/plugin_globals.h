// The plug-in's process-wide values besides the host table and shift tables.
#pragma once

#include "host/win_handles.h"

struct SearchWindowState;

extern HINSTANCE g_instance;   // both dialog templates load from it
extern HWND g_hostMainWindow;  // disabled while a search runs
extern HWND g_searchWindow;    // read only to raise the window
// The search window's state, or null; a destroyed window's state stays while
// a frame of ours still holds it (ui/window_lifecycle.cpp).
extern SearchWindowState* g_searchState;

// Keeps this module mapped until the process ends: the host unloads it after
// its exit callback, and frames of ours still on the stack return into it.
void KeepLibraryLoaded();
