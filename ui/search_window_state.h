// Making and unmaking the open search window's state.
#pragma once

#include "host/win_handles.h"

struct SearchWindowState;

// A new state for the dialog: list set up, layout captured, no results, the
// host's data folder, idle. The caller owns it. Out of memory throws and
// leaves nothing allocated.
SearchWindowState* CreateSearchWindowState(HWND dialog);
// Destroys every record in the order found, the data folder and the cached
// type names; the caller frees the state itself.
void DestroySearchWindowState(SearchWindowState* state);
