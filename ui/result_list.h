// The results list: one row per record that passes the filter, sorted by a
// clicked column. Rows point to records and never own them.
#pragma once

#include <windows.h>
// The controls' declarations need <windows.h> first.
#include <commctrl.h>

#include <cstdint>

struct SearchWindowState;
struct AttachmentRecord;

// Sets up list control IDC_RESULT_LIST of the dialog: style, image list,
// columns, input routing, no sort.
void InitResultList(SearchWindowState* state, HWND dialog);
// AddResultRow is declared with the scanner, its main caller; ClearResultList
// and the row batches with the search driver, their other caller.
// Sorts on a header click of the list; ignores every other notification.
void OnColumnClick(const NMHDR* header, SearchWindowState* state);
// The selected row's record after a double-click or Enter in the list, or null.
AttachmentRecord* OnResultDoubleClick(const NMHDR* header, SearchWindowState* state);
// The list's questions about its rows: a cell's text and icon, and a row by
// file name for type-to-find (-1 for none).
void AnswerResultCell(NMLVDISPINFOA* info, const SearchWindowState* state);
int32_t FindResultRow(const NMLVFINDITEMA* find, const SearchWindowState* state);
int32_t FindResultRow(const NMLVFINDITEMW* find, const SearchWindowState* state);
