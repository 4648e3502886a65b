// Test builds only: the message id of the record behind a row of the open
// search window, read as the plug-in itself reads it (the list keeps no
// record of its own). Linked into the fault-injection copy of the plug-in.
#include "host/plugin_globals.h"
#include "search/search_state.h"

// Null for a row that does not exist or a record without an id.
extern "C" __declspec(dllexport) const char* QfShownRowMessageId(int row) {
    const SearchWindowState* state = g_searchState;
    if (!state || row < 0 || static_cast<size_t>(row) >= state->shownRows.size()) return nullptr;
    return TextOf(state->shownRows[row].record->messageId);
}
