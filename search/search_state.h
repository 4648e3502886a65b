// The open search window's state: layout anchors, list and owned results.
#pragma once

#include <cstdint>
#include <vector>

#include "host/win_handles.h"
#include "search/attachment_record.h"

struct TypeNameCache;  // the results list's answers from the shell, per extension

// One row of the results list: the record it shows and the record's icon in
// the shell's image list.
struct ShownRow {
    AttachmentRecord* record;
    int32_t iconIndex;
};

// Where the search window is in its life; the transitions and their rules are
// in ui/window_lifecycle.cpp, and nothing else changes the phase.
enum WindowPhase : uint8_t {
    kWindowOpen,       // up, no search running
    kWindowSearching,  // the search command runs
    kWindowClosing,    // a close came during the search: the window goes when it returns
    kWindowGone,       // destroyed; the state waits for the frames that still hold it
};

struct SearchWindowState {
    HWND listView;
    HIMAGELIST imageList;  // the shell's, never destroyed here
    uint8_t sortAscending;
    int32_t sortColumn;  // 0..5, or -1 for none
    HWND dialog;
    int32_t minTrackWidth;
    int32_t minTrackHeight;
    int32_t searchButtonFromRight;
    int32_t searchButtonTop;
    int32_t closeButtonFromRight;
    int32_t closeButtonFromBottom;
    int32_t filterLabelLeft;
    int32_t filterLabelFromBottom;
    int32_t filterEditLeft;
    int32_t filterEditFromBottom;
    int32_t applyButtonLeft;
    int32_t applyButtonFromBottom;
    int32_t listWidthMargin;
    int32_t listHeightMargin;
    std::vector<AttachmentRecord*> results;  // owned, in the order found
    RefString dataFolder;
    uint8_t idle;  // 1 when no search runs, or as the request to stop one
    // The list's rows, in the order shown; each names a record of results.
    std::vector<ShownRow> shownRows;

    TypeNameCache* typeCache;
    uint8_t rowBatch;        // 0 none, 1 open, 2 open with the list's drawing held
    uint32_t paintInterval;  // the shortest wait between two paints of a search, ms
    uint32_t lastPaintTick;  // when the batch last let the list draw
    uint32_t rowPaints;      // how often the current batch let the list draw
    // What the list's last paint in a search cost (the drain that followed
    // letting it draw), and whether such a paint is still to be timed.
    uint32_t paintCost;
    uint8_t paintPending;
    // Inside one message the queue is drained at most every drainInterval ms.
    uint32_t drainInterval;
    uint32_t lastDrainTick;
    HWND progressWindow;  // up while a search runs; its keys go to the dialog manager
    HHOOK keyHook;        // gives the windows' keys to the dialog manager (ui/dialog_keys.h)
    WindowPhase phase;
    // Frames of ours that run a loop (the search command's, a host function's,
    // the list's under a held button) and use the state after it: a gone
    // window's state is freed when the last of them returns.
    uint8_t framesOnStack;
    // The host's exit callback has come: from then on the plug-in calls no
    // host function and touches no host window, whatever is still unwinding.
    uint8_t hostExited;
};

// Empties results, destroying every record in the order found; the rows
// shown go first, since they name the records.
void ClearResults(SearchWindowState* state);
