// Row comparators of the results list, one per column, over the column table.
#pragma once

struct AttachmentRecord;

// Negative when first goes before second, 0 when they are equal, positive
// when it goes after; ascending false reverses the order.
typedef int (*ResultComparator)(const AttachmentRecord* first, const AttachmentRecord* second,
                                bool ascending);

int CompareByFileName(const AttachmentRecord* first, const AttachmentRecord* second,
                      bool ascending);
int CompareByTypeName(const AttachmentRecord* first, const AttachmentRecord* second,
                      bool ascending);
int CompareBySubject(const AttachmentRecord* first, const AttachmentRecord* second, bool ascending);
int CompareBySender(const AttachmentRecord* first, const AttachmentRecord* second, bool ascending);
int CompareByDate(const AttachmentRecord* first, const AttachmentRecord* second, bool ascending);
int CompareByFolder(const AttachmentRecord* first, const AttachmentRecord* second, bool ascending);

// Indexed by column, 0 to 5.
extern const ResultComparator ResultComparators[6];
