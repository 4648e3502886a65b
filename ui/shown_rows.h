// The rows the results list shows, kept by the plug-in: the list itself only
// knows how many there are and asks for each cell as it draws it. Plain data,
// no <windows.h>.
#pragma once

#include <cstdint>
#include <vector>

#include "search/search_state.h"
#include "ui/result_compare.h"

// Appends a row at the end; throws std::bad_alloc, with nothing appended,
// when out of memory.
void AppendShownRow(SearchWindowState* state, AttachmentRecord* record, int32_t iconIndex);
// Orders the rows by the comparator; rows that compare equal keep their order.
void SortShownRows(std::vector<ShownRow>* rows, ResultComparator compare, bool ascending);
// The index of the row showing the record, or -1 (also for null).
int32_t IndexOfShownRecord(const std::vector<ShownRow>& rows, const AttachmentRecord* record);
