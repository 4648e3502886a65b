#include "ui/search_window_state.h"

#include <vector>

#include "host/plugin_globals.h"
#include "search/search_state.h"
#include "ui/shell_type_name.h"

void DestroySearchWindowState(SearchWindowState* state) {
    ClearResults(state);
    std::vector<ShownRow>().swap(state->shownRows);
    std::vector<AttachmentRecord*>().swap(state->results);
    ReleaseRefString(&state->dataFolder);
    state->dataFolder.node = nullptr;
    DeleteTypeNameCache(state->typeCache);
    state->typeCache = nullptr;
}

void BeginHostCall(SearchWindowState* state) {
    ++state->framesOnStack;
}

bool EndHostCall(SearchWindowState* state) {
    --state->framesOnStack;
    if (state->phase != kWindowGone) return true;
    FreeIfUnheld(state);
    return false;
}

void FreeIfUnheld(SearchWindowState* state) {
    if (state->phase != kWindowGone || state->framesOnStack != 0) return;
    DestroySearchWindowState(state);
    delete state;
    g_searchState = nullptr;
    g_searchWindow = nullptr;
}
