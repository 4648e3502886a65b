#include "ui/search_window_state.h"

#include <vector>

#include "host/host_api.h"
#include "search/quick_search.h"
#include "search/search_driver.h"
#include "search/search_state.h"
#include "ui/result_list.h"
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
    return state;
}

void DestroySearchWindowState(SearchWindowState* state) {
    ClearResults(state);
    std::vector<ShownRow>().swap(state->shownRows);
    std::vector<AttachmentRecord*>().swap(state->results);
    ReleaseRefString(&state->dataFolder);
    state->dataFolder.node = nullptr;
    DeleteTypeNameCache(state->typeCache);
    state->typeCache = nullptr;
}
