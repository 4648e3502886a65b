// The search window's resizing: the controls' distances from the edges that
// they follow, measured once when the window opens.
#pragma once

#include "host/win_handles.h"

struct SearchWindowState;
struct tagMINMAXINFO;

// Sets the list up and measures the window's initial size and the anchors.
void CaptureLayout(SearchWindowState* state, HWND dialog);
// Moves and sizes the controls for the dialog's current client size.
void LayOutControls(const SearchWindowState* state);
// The window cannot be made smaller than it opened.
void LimitTrackSize(const SearchWindowState* state, tagMINMAXINFO* info);
