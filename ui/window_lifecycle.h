// The search window's life from its state's making to its freeing: one
// phase, one count of our frames that hold the state, and the host's exit.
#pragma once

#include <windows.h>

struct SearchWindowState;

// The search command's frame: open to searching, and false (no search) in
// any other phase. EndSearch may destroy the window and free the state.
bool BeginSearch(SearchWindowState* state);
void EndSearch(SearchWindowState* state);
// A call that may run a loop where the host's messages are dispatched (a host
// function's, the list's while a mouse button is down). EndHostCall
// returns false when the window went meanwhile; the state may be freed then.
void BeginHostCall(SearchWindowState* state);
bool EndHostCall(SearchWindowState* state);
// The close button, a close from the taskbar: now, or when the search ends.
void RequestClose(HWND dialog);
// The host's exit: the window goes as its close button makes it go, and the
// library is pinned for good if frames of ours hold the state.
void CloseSearchWindowForExit();
// WM_NCDESTROY of the search window, whoever destroyed it.
void OnSearchWindowDestroyed(HWND dialog);
// A search runs (an abort or a close may be under way).
bool SearchRunning(const SearchWindowState* state);
