#include "ui/window_layout.h"

#include <windows.h>

#include "search/search_state.h"
#include "ui/resource.h"
#include "ui/result_list.h"

namespace {

// How a coordinate of a control follows the client area.
enum AnchorKind { kFixed, kFromFarEdge };

typedef int32_t SearchWindowState::*AnchorField;

struct ControlAnchor {
    int controlId;
    AnchorKind xKind;
    AnchorField x;
    AnchorKind yKind;
    AnchorField y;
};

// Moved controls. The list (sized, not moved) and the subfolder box (never
// touched) are not in the table.
const ControlAnchor kAnchors[] = {
    {IDC_SEARCH, kFromFarEdge, &SearchWindowState::searchButtonFromRight, kFixed,
     &SearchWindowState::searchButtonTop},
    {IDCANCEL, kFromFarEdge, &SearchWindowState::closeButtonFromRight, kFromFarEdge,
     &SearchWindowState::closeButtonFromBottom},
    {IDC_FILTER_LABEL, kFixed, &SearchWindowState::filterLabelLeft, kFromFarEdge,
     &SearchWindowState::filterLabelFromBottom},
    {IDC_FILTER_TEXT, kFixed, &SearchWindowState::filterEditLeft, kFromFarEdge,
     &SearchWindowState::filterEditFromBottom},
    {IDC_APPLY_FILTER, kFixed, &SearchWindowState::applyButtonLeft, kFromFarEdge,
     &SearchWindowState::applyButtonFromBottom},
};
const int kAnchorCount = sizeof kAnchors / sizeof kAnchors[0];
const int kMovesBeforeList = 2;  // the list is resized after the two buttons

// An anchor value maps to a coordinate and back by the same rule.
int32_t Follow(AnchorKind kind, int32_t value, int32_t extent) {
    return kind == kFromFarEdge ? extent - value : value;
}

RECT ControlRectInClient(HWND dialog, int controlId) {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, controlId), &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ScreenToClient(dialog, &corners[0]);
    ScreenToClient(dialog, &corners[1]);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

// Under Windows and Wine alike a move copies a control's pixels and leaves it
// valid, while the dialog (no WS_CLIPCHILDREN) erases the area it grew by over
// the controls moved into it: each moved control paints again, after the erase.
void MoveControl(HWND dialog, const ControlAnchor& anchor, const SearchWindowState* state,
                 const RECT& client) {
    HWND control = GetDlgItem(dialog, anchor.controlId);
    SetWindowPos(control, nullptr, Follow(anchor.xKind, state->*anchor.x, client.right),
                 Follow(anchor.yKind, state->*anchor.y, client.bottom), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    RedrawWindow(control, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);  // a border too
}

}  // namespace

void CaptureLayout(SearchWindowState* state, HWND dialog) {
    InitResultList(state, dialog);
    state->dialog = dialog;
    RECT window;
    GetWindowRect(dialog, &window);
    state->minTrackWidth = window.right - window.left;
    state->minTrackHeight = window.bottom - window.top;

    RECT client;
    GetClientRect(dialog, &client);
    for (const ControlAnchor& anchor : kAnchors) {
        RECT rect = ControlRectInClient(dialog, anchor.controlId);
        state->*anchor.x = Follow(anchor.xKind, rect.left, client.right);
        state->*anchor.y = Follow(anchor.yKind, rect.top, client.bottom);
    }
    RECT list = ControlRectInClient(dialog, IDC_RESULT_LIST);
    state->listWidthMargin = list.left + client.right - list.right;
    state->listHeightMargin = list.top + client.bottom - list.bottom;
}

void LayOutControls(const SearchWindowState* state) {
    RECT client;
    GetClientRect(state->dialog, &client);
    for (int i = 0; i < kMovesBeforeList; ++i)
        MoveControl(state->dialog, kAnchors[i], state, client);
    SetWindowPos(state->listView, nullptr, 0, 0, client.right - state->listWidthMargin,
                 client.bottom - state->listHeightMargin,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    for (int i = kMovesBeforeList; i < kAnchorCount; ++i)
        MoveControl(state->dialog, kAnchors[i], state, client);
    // The header keeps the divider it drew at its old right end (Wine's).
    InvalidateRect(reinterpret_cast<HWND>(SendMessageA(state->listView, LVM_GETHEADER, 0, 0)),
                   nullptr, TRUE);
}

void LimitTrackSize(const SearchWindowState* state, MINMAXINFO* info) {
    info->ptMinTrackSize.x = state->minTrackWidth;
    info->ptMinTrackSize.y = state->minTrackHeight;
}
