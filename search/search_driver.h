// Runs one search over the host's current folder and, optionally, below it.
#pragma once

struct SearchWindowState;

// How long the scan of one message may keep the host's thread before the
// queue is drained, in milliseconds: well within the tenth of a second in
// which a click still feels answered.
enum { kDrainInterval = 50 };

void RunSearch(bool includeSubfolders);
bool ScanFolder(const char* folderId, SearchWindowState* state);
bool WalkFolders(SearchWindowState* state, const char* dataFolder, const char* folderId);

// Supplied by the results list, which the search fills. Rows added between
// BeginRowBatch and EndRowBatch are drawn when the batch ends: each row
// added to a drawn list costs a redraw of its own. Drawing is held only
// once a row arrives, so a batch without rows costs nothing.
void BeginRowBatch(SearchWindowState* state);
void EndRowBatch(SearchWindowState* state);
// Inside a batch that lasts a whole search: lets the rows held so far be
// drawn at the next paint if it is their time (or if the list has not drawn
// yet in this batch), and holds drawing again when the next row arrives.
// Their time comes fifteen paint costs after the last paint began (so that,
// with the first and last paint, which come when they must, a search of a few
// seconds paints for at most a tenth of it), but never sooner than
// paintInterval ms and never later than two and a half times that.
void PaceRowBatch(SearchWindowState* state);
// Called after every drain of the queue in a search: rows that PaceRowBatch
// let through are painted in that drain, where their paint's cost is taken.
void TimePacedPaint(SearchWindowState* state);
// The shortest wait between two paints of a search, in milliseconds: rows
// still seem to stream in (a found row seen within half a second at most),
// while painting stays a small share of the search even where one paint of
// the list costs 20 to 30 ms, as under Wine on a virtual display.
enum { kRowPaintInterval = 200 };
// Empties the list (rows, selection, sort) and the cache of type names.
void ClearResultList(SearchWindowState* state);
