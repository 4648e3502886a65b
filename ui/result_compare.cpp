#include "ui/result_compare.h"

#include "ui/result_columns.h"

// Absent values sort before every present one; one shared node (or two
// absent handles) is equal without reading the text.
static int CompareColumn(int column, const AttachmentRecord* first, const AttachmentRecord* second,
                         bool ascending) {
    RefString AttachmentRecord::*field = kResultColumns[column].field;
    const RefString& a = first->*field;
    const RefString& b = second->*field;
    int result = a.node == b.node ? 0 : !a.node ? -1 : !b.node ? 1 : CompareText(&a, &b);
    return ascending ? result : -result;
}

// One line a column, as in the table.
// clang-format off
typedef const AttachmentRecord* Row;
int CompareByFileName(Row first, Row second, bool up) { return CompareColumn(0, first, second, up); }
int CompareByTypeName(Row first, Row second, bool up) { return CompareColumn(1, first, second, up); }
int CompareBySubject(Row first, Row second, bool up) { return CompareColumn(2, first, second, up); }
int CompareBySender(Row first, Row second, bool up) { return CompareColumn(3, first, second, up); }
int CompareByDate(Row first, Row second, bool up) { return CompareColumn(4, first, second, up); }
int CompareByFolder(Row first, Row second, bool up) { return CompareColumn(5, first, second, up); }
// clang-format on

const ResultComparator ResultComparators[6] = {CompareByFileName, CompareByTypeName,
                                               CompareBySubject,  CompareBySender,
                                               CompareByDate,     CompareByFolder};
