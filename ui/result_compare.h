// Row comparators of the results list, in the list control's callback form.
#pragma once

#include <cstdint>

#include "search/win_handles.h"

// first and second are the rows' AttachmentRecord pointers; ascending is the
// sort value passed with the sort request (0 reverses the order).
typedef int(QF_WINAPI* ResultComparator)(intptr_t first, intptr_t second, intptr_t ascending);

int QF_WINAPI CompareByFileName(intptr_t first, intptr_t second, intptr_t ascending);
int QF_WINAPI CompareByTypeName(intptr_t first, intptr_t second, intptr_t ascending);
int QF_WINAPI CompareBySubject(intptr_t first, intptr_t second, intptr_t ascending);
int QF_WINAPI CompareBySender(intptr_t first, intptr_t second, intptr_t ascending);
int QF_WINAPI CompareByDate(intptr_t first, intptr_t second, intptr_t ascending);
int QF_WINAPI CompareByFolder(intptr_t first, intptr_t second, intptr_t ascending);

// Indexed by column, 0 to 5.
extern const ResultComparator ResultComparators[6];
