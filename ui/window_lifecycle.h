// The search window's life from its state's making to its freeing: one
// phase, one count of our frames that hold the state, and the host's exit.
#pragma once

#include <windows.h>

struct SearchWindowState;

// A new state for the dialog: list set up, layout captured, no results, the
// host's data folder, idle, keys routed. The caller owns it. Out of memory
// throws and leaves nothing allocated.
SearchWindowState* CreateSearchWindowState(HWND dialog);
// The search command's frame: open to searching, and false (no search) in
// any other phase. EndSearch may destroy the window and free the state.
bool BeginSearch(SearchWindowState* state);
void EndSearch(SearchWindowState* state);
// The close button, a close from the taskbar: now, or when the search ends.
void RequestClose(HWND dialog);
// The host's exit: the window goes as its close button makes it go, and the
// library is pinned for good if frames of ours hold the state.
void CloseSearchWindowForExit();
// WM_NCDESTROY of the search window, whoever destroyed it.
void OnSearchWindowDestroyed(HWND dialog);
// A search runs (an abort or a close may be under way).
bool SearchRunning(const SearchWindowState* state);
