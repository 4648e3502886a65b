// The results list: one row per record of the open window's results, sorted
// by a clicked column. Rows point to records and never own them.
#pragma once

#include <cstdint>

#include "search/win_handles.h"

struct SearchWindowState;
struct AttachmentRecord;
struct tagNMHDR;

// Sets up list control IDC_RESULT_LIST of the dialog: style, image list,
// columns, no sort.
void InitResultList(SearchWindowState* state, HWND dialog);
// AddResultRow (appends one row, fills the record's typeName) is declared
// with the scanner, its main caller.
// Rows added between these two are drawn once, when the batch ends: each
// insertion into a drawn list costs a redraw of its own. Drawing is held only
// once a row arrives, so a batch without rows costs nothing.
void BeginRowBatch(SearchWindowState* state);
void EndRowBatch(SearchWindowState* state);
// Inside a batch that lasts a whole search: lets the rows held so far be
// drawn at the next paint if it is their time (or if the list has not drawn
// yet in this batch), and holds drawing again when the next row arrives.
// Their time comes fifteen paint costs after the last paint began, so painting
// stays within about a tenth of the search, but never sooner than
// paintInterval ms and never later than two and a half times that.
void PaceRowBatch(SearchWindowState* state);
// Called after every drain of the queue in a search: the list paints rows
// let through by PaceRowBatch in the drain that follows it, so that is where
// the paint's cost is taken.
void TimePacedPaint(SearchWindowState* state);
// The shortest wait between two paints of a search, in milliseconds: rows
// still seem to stream in (a found row seen within half a second at most),
// while painting stays a small share of the search even where one paint of
// the list costs 20 to 30 ms, as under Wine on a virtual display.
enum { kRowPaintInterval = 200 };
// Deletes every row and removes the sort indication.
void ClearResultList(SearchWindowState* state);
// Sorts on a header click of the list; ignores every other notification.
void OnColumnClick(const tagNMHDR* header, SearchWindowState* state);
// The record of the selected row after a double-click in the list, or null.
AttachmentRecord* OnResultDoubleClick(const tagNMHDR* header, SearchWindowState* state);
// The list's questions about its rows. A cell's text and icon
// (LVN_GETDISPINFOA): true if the header is one.
bool AnswerResultCell(const tagNMHDR* header, SearchWindowState* state);
// A row by file name for type-to-find (LVN_ODFINDITEMA or W): true with the
// row (-1 for none) if the header is one.
bool AnswerResultFind(const tagNMHDR* header, SearchWindowState* state, intptr_t* row);
