#include "ui/result_list.h"

#include <windows.h>
// The controls' and shell's declarations need <windows.h> first.
#include <commctrl.h>
#include <shellapi.h>

#include "search/attachment_record.h"
#include "search/scanner.h"
#include "search/search_driver.h"
#include "search/search_state.h"
#include "ui/list_input.h"
#include "ui/list_text.h"
#include "ui/resource.h"
#include "ui/result_columns.h"
#include "ui/result_compare.h"
#include "ui/shell_type_name.h"
#include "ui/shown_rows.h"

static void AddColumns(HWND listView) {
    RECT client;
    GetClientRect(listView, &client);
    int32_t width = (client.right - client.left) - GetSystemMetrics(SM_CXHSCROLL);
    for (int column = 0; column < kResultColumnCount; ++column) {
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        info.fmt = LVCFMT_LEFT;
        info.cx = ResultColumnWidth(width, column);
        info.pszText = const_cast<char*>(kResultColumns[column].headerText);
        info.iSubItem = column;
        SendMessageA(listView, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    }
}

void InitResultList(SearchWindowState* state, HWND dialog) {
    state->listView = GetDlgItem(dialog, IDC_RESULT_LIST);
    LRESULT exStyle = SendMessageA(state->listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(state->listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, exStyle | LVS_EX_FULLROWSELECT);

    SHFILEINFOA info;
    state->imageList = reinterpret_cast<HIMAGELIST>(
        AskShellByName("C:\\", SHGFI_SYSICONINDEX | SHGFI_SMALLICON, &info));
    SendMessageA(state->listView, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(state->imageList));

    AddColumns(state->listView);
    KeepSelectionChangesCheap(state->listView);
    state->sortColumn = -1;
}

static int32_t AssignTypeName(AttachmentRecord* record, SearchWindowState* state) {
    if (!state->typeCache) state->typeCache = NewTypeNameCache();
    int32_t iconIndex = 0;
    LookUpTypeName(state->typeCache, TextOf(record->fileName), &record->typeName, &iconIndex);
    return iconIndex;
}

void BeginRowBatch(SearchWindowState* state) {
    state->rowBatch = 1;
    state->rowPaints = 0;
    state->paintCost = 0;
    state->paintPending = 0;
}

// Turning drawing back on makes the list draw itself anew, at the next paint.
static void LetHeldRowsDraw(SearchWindowState* state) {
    state->lastPaintTick = GetTickCount();
    SendMessageA(state->listView, WM_SETREDRAW, TRUE, 0);
    ++state->rowPaints;
}

static uint64_t PaintWait(const SearchWindowState* state) {
    uint64_t shortest = state->paintInterval;
    uint64_t longest = shortest * 5 / 2;
    uint64_t wait = uint64_t{state->paintCost} * 15;
    return wait < shortest ? shortest : wait > longest ? longest : wait;
}

void EndRowBatch(SearchWindowState* state) {
    if (state->rowBatch == 2) LetHeldRowsDraw(state);
    state->rowBatch = 0;
}

void PaceRowBatch(SearchWindowState* state) {
    if (state->rowBatch != 2) return;
    // Unsigned difference: right across the tick count's wrap as well.
    if (state->rowPaints != 0 && GetTickCount() - state->lastPaintTick < PaintWait(state)) return;
    LetHeldRowsDraw(state);
    state->rowBatch = 1;
    state->paintPending = 1;
}

void TimePacedPaint(SearchWindowState* state) {
    if (!state->paintPending) return;
    state->paintPending = 0;
    state->paintCost = GetTickCount() - state->lastPaintTick;
}

// The list only learns the new count: it asks for a row's cells when it
// draws them, and neither scrolls nor redraws what it already shows.
void AddResultRow(AttachmentRecord* record, SearchWindowState* state) {
    if (state->rowBatch == 1) {
        SendMessageA(state->listView, WM_SETREDRAW, FALSE, 0);
        state->rowBatch = 2;
    }
    int32_t iconIndex = AssignTypeName(record, state);
    // Out of memory throws with no row added: the caller drops the record, or
    // a later filter would show what the search never did.
    AppendShownRow(state, record, iconIndex);
    SendMessageA(state->listView, LVM_SETITEMCOUNT, state->shownRows.size(),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

// Shows the arrow of the sorted column, and none on the others. Windows draws
// these arrows from common controls 6 on: a host without a manifest (5.81)
// sorts all the same but shows no arrow. Wine's header draws them in both.
static void SetHeaderArrows(SearchWindowState* state) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(state->listView, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < kResultColumnCount; ++column) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        item.fmt = HDF_STRING;
        if (column == state->sortColumn)
            item.fmt |= state->sortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
    }
}

void ClearResultList(SearchWindowState* state) {
    // No row stays selected or focused past the count: said here, not left to
    // what each platform's list does with rows beyond a new count.
    HWND list = state->listView;
    SetRowState(list, SelectedRow(list), 0, LVIS_SELECTED);
    SetRowState(list, NextRow(list, LVNI_FOCUSED), 0, LVIS_FOCUSED);
    state->shownRows.clear();
    SendMessageA(list, LVM_SETITEMCOUNT, 0, 0);
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, -1);  // as emptying a list leaves it
    // Each search and each filter asks the shell afresh, once per extension.
    EmptyTypeNameCache(state->typeCache);
    state->sortColumn = -1;
    SetHeaderArrows(state);
}

// The record a row shows, or null for no row (-1) or one past the rows.
static AttachmentRecord* RecordAt(const SearchWindowState* state, int row) {
    if (row < 0 || static_cast<size_t>(row) >= state->shownRows.size()) return nullptr;
    return state->shownRows[row].record;
}

static int ScrollPosition(HWND listView, int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(listView, bar, &info);
    return info.nPos;
}

// The list keeps the selection and the focus by row: they follow their
// records to the rows those move to, the old row deselected first (Wine's
// list walks every row to deselect for us). Wine's list scrolls a row that
// gets the focus into view and Windows' does not: the list is put back by
// however far it moved, so a sort scrolls on neither.
static void SortRows(SearchWindowState* state, ResultComparator compare) {
    HWND list = state->listView;
    int32_t selectedRow = SelectedRow(list);
    AttachmentRecord* selected = RecordAt(state, selectedRow);
    AttachmentRecord* focused = RecordAt(state, NextRow(list, LVNI_FOCUSED));
    AttachmentRecord* marked =
        RecordAt(state, static_cast<int>(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0)));
    int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    int left = ScrollPosition(list, SB_HORZ);

    SortShownRows(&state->shownRows, compare, state->sortAscending != 0);
    int32_t selectedNow = IndexOfShownRecord(state->shownRows, selected);
    if (selectedNow != selectedRow) {
        SetRowState(list, selectedRow, 0, LVIS_SELECTED);
        SetRowState(list, selectedNow, LVIS_SELECTED, LVIS_SELECTED);
    }
    SetRowState(list, IndexOfShownRecord(state->shownRows, focused), LVIS_FOCUSED, LVIS_FOCUSED);
    if (marked)
        SendMessageA(list, LVM_SETSELECTIONMARK, 0, IndexOfShownRecord(state->shownRows, marked));

    int rowsMoved = top - static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    int pixelsMoved = left - ScrollPosition(list, SB_HORZ);
    if (rowsMoved != 0 || pixelsMoved != 0) {
        RECT row = {};
        row.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        // Whole rows in pixels: both lists scroll a report view by whole rows.
        SendMessageA(list, LVM_SCROLL, pixelsMoved, rowsMoved * (row.bottom - row.top));
    }
    InvalidateRect(list, nullptr, TRUE);
}

void OnColumnClick(const NMHDR* header, SearchWindowState* state) {
    if (header->hwndFrom != state->listView || header->code != LVN_COLUMNCLICK) return;
    int column = reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
    if (column < 0 || column >= kResultColumnCount) return;
    if (column == state->sortColumn) {
        state->sortAscending = !state->sortAscending;
    } else {
        state->sortColumn = column;
        state->sortAscending = 1;
    }
    SetHeaderArrows(state);
    SortRows(state, ResultComparators[column]);
}

AttachmentRecord* OnResultDoubleClick(const NMHDR* header, SearchWindowState* state) {
    UINT code = header->code;
    bool mine = header->hwndFrom == state->listView &&
                (code == static_cast<UINT>(NM_DBLCLK) || code == static_cast<UINT>(NM_RETURN));
    return mine ? RecordAt(state, SelectedRow(state->listView)) : nullptr;
}

void AnswerResultCell(NMLVDISPINFOA* info, const SearchWindowState* state) {
    LVITEMA& item = info->item;
    const ShownRow* row =
        item.iItem >= 0 && static_cast<size_t>(item.iItem) < state->shownRows.size()
            ? &state->shownRows[item.iItem]
            : nullptr;  // none: an empty cell
    int column = item.iSubItem;
    bool withIcon = column >= 0 && column < kResultColumnCount && kResultColumns[column].withIcon;
    if (row && withIcon && (item.mask & LVIF_IMAGE)) item.iImage = row->iconIndex;
    if (item.mask & LVIF_TEXT)
        CopyCellText(row ? TextOf(ResultCell(row->record, column)) : nullptr, item.pszText,
                     item.cchTextMax);
}

// Windows Vista and later send it for type-to-find; MinGW's headers lack it.
#ifndef LVFI_SUBSTRING
#define LVFI_SUBSTRING 0x0004
#endif

// The list's find by file name, without case, as LVFINDINFO's flags say: a
// prefix with LVFI_PARTIAL or LVFI_SUBSTRING, else the whole name, LVFI_WRAP
// alone included; a nearest position (icon views only) and a parameter (the
// list knows none of ours) find nothing. The rows from the start row to the
// end and, with LVFI_WRAP, on from the first row; -1 for none. Lists differ
// in which form they send, whatever the window's own form: Windows sends the
// A form to an ANSI dialog, Wine the W form.
template <typename FindItem>
static int32_t FindRow(const FindItem* find, const SearchWindowState* state) {
    UINT flags = find->lvfi.flags;
    if (flags & (LVFI_NEARESTXY | LVFI_PARAM)) return -1;
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL | LVFI_SUBSTRING | LVFI_WRAP))) return -1;
    FoldedText wanted, name;
    FoldText(find->lvfi.psz, &wanted);
    bool partial = (flags & (LVFI_PARTIAL | LVFI_SUBSTRING)) != 0;
    int32_t count = static_cast<int32_t>(state->shownRows.size());
    int32_t start = find->iStart < 0 ? 0 : find->iStart > count ? count : find->iStart;
    for (int32_t pass = 0, from = start, to = count; pass < (flags & LVFI_WRAP ? 2 : 1);
         ++pass, from = 0, to = start) {
        for (int32_t row = from; row < to; ++row) {
            const char* fileName = TextOf(state->shownRows[row].record->fileName);
            if (!MayMatchFolded(fileName, wanted)) continue;
            FoldText(fileName, &name);
            if (MatchesFolded(name, wanted, partial)) return row;
        }
    }
    return -1;
}

int32_t FindResultRow(const NMLVFINDITEMA* find, const SearchWindowState* state) {
    return FindRow(find, state);
}

int32_t FindResultRow(const NMLVFINDITEMW* find, const SearchWindowState* state) {
    return FindRow(find, state);
}
