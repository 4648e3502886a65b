#include "ui/result_list.h"

#include <windows.h>
// The controls' and shell's declarations need <windows.h> first.
#include <commctrl.h>
#include <shellapi.h>

#include <new>

#include "search/attachment_record.h"
#include "search/scanner.h"
#include "search/search_state.h"
#include "ui/resource.h"
#include "ui/result_columns.h"
#include "ui/result_compare.h"
#include "ui/shell_type_name.h"
#include "ui/type_name_cache.h"

// The list shows an absent value as an empty cell.
static char* CellText(const RefString& value) {
    static char empty[] = "";
    return value.node ? value.node->text : empty;
}

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

    SHFILEINFOA info = {};
    state->imageList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    SendMessageA(state->listView, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(state->imageList));

    AddColumns(state->listView);
    state->sortColumn = -1;
}

// Every row of one extension shares the cached type-name node; a failed
// query leaves an empty type name and icon 0.
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

// Fifteen paint costs from start to start: painting a fifteenth of the time
// between paints, so that with a search's first and last paint, which come
// when they must, it stays within a tenth of a search of a few seconds.
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

void AddResultRow(AttachmentRecord* record, SearchWindowState* state) {
    if (state->rowBatch == 1) {
        SendMessageA(state->listView, WM_SETREDRAW, FALSE, 0);
        state->rowBatch = 2;
    }
    int32_t iconIndex = AssignTypeName(record, state);
    int row = static_cast<int>(SendMessageA(state->listView, LVM_GETITEMCOUNT, 0, 0));

    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = row;
    item.pszText = CellText(record->fileName);
    item.iImage = iconIndex;
    item.lParam = reinterpret_cast<LPARAM>(record);
    // A list out of memory is our own running out: the record without a row
    // must not stay, or a later filter would show what the search never did.
    if (SendMessageA(state->listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == -1) {
        throw std::bad_alloc();
    }

    const RefString* cells[] = {&record->typeName, &record->subject, &record->sender, &record->date,
                                &record->folderName};
    for (int column = 1; column < kResultColumnCount; ++column) {
        LVITEMA cell = {};
        cell.mask = LVIF_TEXT;
        cell.iItem = row;
        cell.iSubItem = column;
        cell.pszText = CellText(*cells[column - 1]);
        SendMessageA(state->listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&cell));
    }
}

// Shows the arrow of the sorted column, and none on the others.
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
    SendMessageA(state->listView, LVM_DELETEALLITEMS, 0, 0);
    // Each search and each filter asks the shell afresh, once per extension.
    EmptyTypeNameCache(state->typeCache);
    state->sortColumn = -1;
    SetHeaderArrows(state);
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
    SendMessageA(state->listView, LVM_SORTITEMS, state->sortAscending,
                 reinterpret_cast<LPARAM>(ResultComparators[column]));
}

AttachmentRecord* OnResultDoubleClick(const NMHDR* header, SearchWindowState* state) {
    if (header->hwndFrom != state->listView || header->code != static_cast<UINT>(NM_DBLCLK)) {
        return nullptr;
    }
    int row = static_cast<int>(
        SendMessageA(state->listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return nullptr;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(state->listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return nullptr;
    }
    return reinterpret_cast<AttachmentRecord*>(item.lParam);
}
