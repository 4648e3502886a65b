// Narrows the results list to the file names that contain a text, ASCII
// letters compared without case.
#pragma once

#include <cstdint>

#include "search/quick_search.h"

// Re-fills the open window's list with the matching records, in the order
// found; an empty or null filter shows every record.
void ApplyFilter(const char* filter);

// True when fileName (null: absent) contains the filter's m > 0 bytes, with
// table built by BuildFoldedQuickSearchTable for the filter.
bool MatchesFilter(const char* fileName, const char* filter, uint32_t m,
                   const QuickSearchTable* table);
