#include "search/search_state.h"

void ClearResults(SearchWindowState* state) {
    state->shownRows.clear();
    for (AttachmentRecord* record : state->results) DeleteAttachmentRecord(record);
    state->results.clear();
}
