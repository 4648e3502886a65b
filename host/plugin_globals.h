// The plug-in's process-wide values besides the host table and shift tables.
#pragma once

#include "search/win_handles.h"

struct SearchWindowState;

extern HINSTANCE g_instance;              // both dialog templates load from it
extern HWND g_hostMainWindow;             // disabled while a search runs
extern HWND g_searchWindow;               // read only to raise the window
extern SearchWindowState* g_searchState;  // present exactly while the window exists
