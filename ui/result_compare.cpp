#include "ui/result_compare.h"

#include "search/attachment_record.h"

// Absent values sort before every present one; one shared node (or two
// absent handles) is equal without reading the text.
static int CompareField(const RefString& a, const RefString& b, intptr_t ascending) {
    int result;
    if (a.node == b.node) {
        result = 0;
    } else if (!a.node) {
        result = -1;
    } else if (!b.node) {
        result = 1;
    } else {
        result = CompareText(&a, &b);
    }
    return ascending ? result : -result;
}

static const AttachmentRecord* RecordOf(intptr_t row) {
    return reinterpret_cast<const AttachmentRecord*>(row);
}

int QF_WINAPI CompareByFileName(intptr_t first, intptr_t second, intptr_t ascending) {
    return CompareField(RecordOf(first)->fileName, RecordOf(second)->fileName, ascending);
}

int QF_WINAPI CompareByTypeName(intptr_t first, intptr_t second, intptr_t ascending) {
    return CompareField(RecordOf(first)->typeName, RecordOf(second)->typeName, ascending);
}

int QF_WINAPI CompareBySubject(intptr_t first, intptr_t second, intptr_t ascending) {
    return CompareField(RecordOf(first)->subject, RecordOf(second)->subject, ascending);
}

int QF_WINAPI CompareBySender(intptr_t first, intptr_t second, intptr_t ascending) {
    return CompareField(RecordOf(first)->sender, RecordOf(second)->sender, ascending);
}

int QF_WINAPI CompareByDate(intptr_t first, intptr_t second, intptr_t ascending) {
    return CompareField(RecordOf(first)->date, RecordOf(second)->date, ascending);
}

int QF_WINAPI CompareByFolder(intptr_t first, intptr_t second, intptr_t ascending) {
    return CompareField(RecordOf(first)->folderName, RecordOf(second)->folderName, ascending);
}

const ResultComparator ResultComparators[6] = {CompareByFileName, CompareByTypeName,
                                               CompareBySubject,  CompareBySender,
                                               CompareByDate,     CompareByFolder};
