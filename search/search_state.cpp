#include "search/search_state.h"

void ClearResults(SearchWindowState* state) {
    for (AttachmentRecord* record : state->results) DeleteAttachmentRecord(record);
    state->results.clear();
}
