#include "ui/result_filter.h"

#include <cstring>

#include "host/plugin_globals.h"
#include "search/scanner.h"
#include "search/search_driver.h"
#include "search/search_state.h"

bool MatchesFilter(const char* fileName, const char* filter, uint32_t m,
                   const QuickSearchTable* table) {
    uint32_t n = fileName ? static_cast<uint32_t>(std::strlen(fileName)) : 0;
    if (m > n) return false;
    return QuickSearchFolded(n, m, filter, fileName, table) != -1;
}

void ApplyFilter(const char* filter) {
    SearchWindowState* state = g_searchState;
    if (!state) return;
    uint32_t m = filter ? static_cast<uint32_t>(std::strlen(filter)) : 0;
    QuickSearchTable table;
    if (m != 0) BuildFoldedQuickSearchTable(filter, m, &table);

    ClearResultList(state);
    BeginRowBatch(state);
    try {
        for (AttachmentRecord* record : state->results) {
            if (m == 0 || MatchesFilter(TextOf(record->fileName), filter, m, &table)) {
                AddResultRow(record, state);
            }
        }
    } catch (...) {
        // Out of memory: the list keeps the rows added so far, each whole,
        // and a later filter shows every match again.
    }
    EndRowBatch(state);
}
