#include "ui/shown_rows.h"

#include <algorithm>

void AppendShownRow(SearchWindowState* state, AttachmentRecord* record, int32_t iconIndex) {
    state->shownRows.push_back(ShownRow{record, iconIndex});
}

void SortShownRows(std::vector<ShownRow>* rows, ResultComparator compare, bool ascending) {
    std::stable_sort(rows->begin(), rows->end(), [=](const ShownRow& a, const ShownRow& b) {
        return compare(a.record, b.record, ascending) < 0;
    });
}

int32_t IndexOfShownRecord(const std::vector<ShownRow>& rows, const AttachmentRecord* record) {
    if (!record) return -1;  // no row shows none
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].record == record) return static_cast<int32_t>(row);
    }
    return -1;
}
