// The search window's state: its unmaking, and the frames of ours holding it.
#pragma once

#include "host/win_handles.h"

struct SearchWindowState;

// Destroys every record in the order found, the data folder and the cached
// type names; the caller frees the state itself.
void DestroySearchWindowState(SearchWindowState* state);
// A call that may run a loop where the host's messages are dispatched (a host
// function's, the list's while a mouse button is down, a key's). EndHostCall
// returns false when the window went meanwhile; the state may be freed then.
void BeginHostCall(SearchWindowState* state);
bool EndHostCall(SearchWindowState* state);
// Frees the state of a gone window once no frame holds it; the window's
// handle goes with it.
void FreeIfUnheld(SearchWindowState* state);
