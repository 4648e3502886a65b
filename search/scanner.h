// Finds the attachment names of one message source and records them.
#pragma once

#include <cstdint>

#include "search/quick_search.h"
#include "search/ref_string.h"

struct SearchWindowState;
struct AttachmentRecord;

// The header fields of one message, fetched with its first record and shared
// by every further record of the same message.
struct MessageHeaderFields {
    bool fetched;
    RefString subject;
    RefString sender;
    RefString date;
};

void ScanMessageSource(char* source, SearchWindowState* state, const RefString* folderName,
                       const RefString* messageId);

bool RecordAttachment(const RefString* messageId, SearchWindowState* state,
                      const RefString* folderName, char* value, uint32_t n, const char* pattern,
                      uint32_t m, const QuickSearchTable* table, MessageHeaderFields* header);

// Supplied by the results list: shows the record as the list's last row. Out
// of memory throws with no row added.
void AddResultRow(AttachmentRecord* record, SearchWindowState* state);

// Supplied by the search driver: called every so often while one message is
// scanned, it lets the host's queue run once drainInterval ms have passed
// since it last ran. False when the search is to stop there.
bool DrainDuringScan(SearchWindowState* state);
