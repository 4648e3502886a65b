// The state's phase and hostExited change here alone (WindowPhase says what
// each phase is); its frames are counted here and where a host call holds it
// (ui/search_window_state.cpp). Transitions:
//   open      -- search command ----------------> searching   frames + 1
//   searching -- search command returns --------> open        frames - 1
//   searching -- close (button, taskbar, exit) --> closing     idle = 1
//   closing   -- search command returns --------> the window is destroyed
//   open      -- close -------------------------> the window is destroyed
//   any       -- WM_NCDESTROY (whoever) --------> gone        idle = 1
//   gone      -- frames reach 0 ----------------> state freed, globals cleared
//   a host call that may run the host's loop: frames + 1, then - 1; the phase
//   may change meanwhile (a search inside it, a close, a destroy).
//   The host's exit: hostExited = 1 for good; the library is pinned if any
//   frame of ours is on the stack; then a close.
// The keys' hook lives from the state's making until the window goes or the
// host exits, whichever comes first.
#include "ui/window_lifecycle.h"

#include "host/host_api.h"
#include "host/plugin_globals.h"
#include "search/quick_search.h"
#include "search/search_driver.h"
#include "search/search_state.h"
#include "ui/dialog_keys.h"
#include "ui/search_window_state.h"
#include "ui/shell_type_name.h"
#include "ui/window_layout.h"

SearchWindowState* CreateSearchWindowState(HWND dialog) {
    SearchWindowState* state = new SearchWindowState();
    try {
        CaptureLayout(state, dialog);
        state->typeCache = NewTypeNameCache();
        state->dataFolder = MakeRefString(g_hostApi.BKA_GetDataFolder());
    } catch (...) {
        DestroySearchWindowState(state);  // out of memory: nothing of it stays
        delete state;
        throw;
    }
    state->idle = 1;
    state->paintInterval = kRowPaintInterval;
    state->drainInterval = kDrainInterval;
    BuildFixedShiftTables();
    state->keyHook = RouteKeysToDialogs();  // last: no failure after it to undo it
    return state;
}

bool BeginSearch(SearchWindowState* state) {
    if (state->phase != kWindowOpen) return false;  // one search at a time
    state->phase = kWindowSearching;
    ++state->framesOnStack;
    return true;
}

void EndSearch(SearchWindowState* state) {
    --state->framesOnStack;
    if (state->phase == kWindowSearching) {
        state->phase = kWindowOpen;
    } else if (state->phase == kWindowClosing) {
        DestroyWindow(state->dialog);  // its last message makes it gone
    } else {
        FreeIfUnheld(state);
    }
}

// A close during a search (a close from the taskbar reaches even a disabled
// window) must not free the records under the scanner.
void RequestClose(HWND dialog) {
    SearchWindowState* state = g_searchState;
    if (state && SearchRunning(state)) {
        state->idle = 1;
        state->phase = kWindowClosing;
        return;
    }
    DestroyWindow(dialog);  // its last message frees the state
}

void CloseSearchWindowForExit() {
    SearchWindowState* state = g_searchState;
    if (!state) return;
    state->hostExited = 1;
    StopRoutingKeys(&state->keyHook);
    if (state->framesOnStack != 0) KeepLibraryLoaded();  // they return into our code
    if (state->phase != kWindowGone) RequestClose(state->dialog);
}

void OnSearchWindowDestroyed(HWND dialog) {
    SearchWindowState* state = g_searchState;
    if (!state || state->dialog != dialog) return;
    state->phase = kWindowGone;
    state->idle = 1;  // a search still running stops at its next drain
    StopRoutingKeys(&state->keyHook);
    FreeIfUnheld(state);
}

bool SearchRunning(const SearchWindowState* state) {
    return state->phase == kWindowSearching || state->phase == kWindowClosing;
}
