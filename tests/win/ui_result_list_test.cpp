// The results list: rows, column widths, type names, sorting with header
// arrows and the comparators.
#include <windows.h>
// The controls' and shell's declarations need <windows.h> first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "devhost/list_cells.h"
#include "host/plugin_globals.h"
#include "search/attachment_record.h"
#include "search/scanner.h"
#include "search/search_driver.h"
#include "search/search_state.h"
#include "tests/win/mail_store_support.h"
#include "tests/win/ui_window_support.h"
#include "ui/resource.h"
#include "ui/result_columns.h"
#include "ui/result_compare.h"
#include "ui/result_list.h"
#include "ui/shell_type_name.h"

namespace {

const int kUnsorted = HDF_STRING, kUp = HDF_STRING | HDF_SORTUP, kDown = HDF_STRING | HDF_SORTDOWN;

class ResultListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DevhostReset();
        ASSERT_NE(OpenFromMenu(), nullptr);
    }
    void TearDown() override { CloseSearchWindowIfOpen(); }
};

int Compare(int column, const AttachmentRecord& a, const AttachmentRecord& b, int ascending) {
    return ResultComparators[column](&a, &b, ascending != 0);
}

TEST(ResultComparatorsTest, AbsentEmptySharedAndHighBytes) {
    AttachmentRecord absent = {}, empty = {}, upperB = {}, lowerA = {}, sjis = {}, sharedCopy = {};
    empty.subject = MakeRefString("");
    upperB.subject = MakeRefString("B");
    lowerA.subject = MakeRefString("a");
    sjis.subject = MakeRefString("\x82\xa0");  // a hiragana letter: lead byte 0x82
    AssignShared(&sharedCopy.subject, &upperB.subject);
    const int subject = 2;

    EXPECT_EQ(Compare(subject, absent, absent, 1), 0);
    EXPECT_LT(Compare(subject, absent, empty, 1), 0);  // absent before empty, ascending
    EXPECT_GT(Compare(subject, absent, empty, 0), 0);  // and after it descending
    EXPECT_LT(Compare(subject, empty, upperB, 1), 0);
    EXPECT_LT(Compare(subject, upperB, lowerA, 1), 0);  // no case folding: 'B' < 'a'
    EXPECT_GT(Compare(subject, sjis, lowerA, 1), 0);    // 0x82 after every ASCII byte
    EXPECT_LT(Compare(subject, sjis, lowerA, 0), 0);
    EXPECT_EQ(Compare(subject, upperB, sharedCopy, 1), 0);
    EXPECT_EQ(Compare(subject, upperB, sharedCopy, 0), 0);

    // Every column reads its own field and nothing else.
    for (int column = 0; column < 6; ++column) {
        AttachmentRecord a = {}, b = {};
        RefString AttachmentRecord::*fields[] = {
            &AttachmentRecord::fileName, &AttachmentRecord::typeName,
            &AttachmentRecord::subject,  &AttachmentRecord::sender,
            &AttachmentRecord::date,     &AttachmentRecord::folderName};
        a.*fields[column] = MakeRefString("x");
        b.*fields[column] = MakeRefString("y");
        EXPECT_LT(Compare(column, a, b, 1), 0) << column;
        EXPECT_GT(Compare(column, a, b, 0), 0) << column;
        DestroyAttachmentRecord(&a);
        DestroyAttachmentRecord(&b);
    }
    for (AttachmentRecord* r : {&empty, &upperB, &lowerA, &sjis, &sharedCopy}) {
        DestroyAttachmentRecord(r);
    }
}

TEST(ResultColumnsTest, WidthsAreTruncatedOneByOne) {
    const int expected[] = {100, 40, 100, 80, 40, 40};
    for (int column = 0; column < kResultColumnCount; ++column) {
        EXPECT_EQ(ResultColumnWidth(403, column), expected[column]) << column;
    }
}

TEST_F(ResultListTest, ColumnsFollowTheListWidthAtOpening) {
    RECT client;
    GetClientRect(ResultList(), &client);
    int width = client.right - GetSystemMetrics(SM_CXHSCROLL);
    for (int column = 0; column < kResultColumnCount; ++column) {
        EXPECT_EQ(SendMessageA(ResultList(), LVM_GETCOLUMNWIDTH, column, 0),
                  ResultColumnWidth(width, column));
        EXPECT_EQ(HeaderFormat(column), kUnsorted);
    }
    EXPECT_TRUE(SendMessageA(ResultList(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                LVS_EX_FULLROWSELECT);
}

TEST_F(ResultListTest, RowsShowTheRecordsAndAbsentValuesAsEmptyCells) {
    AddTestRecord("report.pdf", "Quarterly", "alice@example.com", "2026/01/02 03:04:05", "Inbox");
    AttachmentRecord* bare = AddTestRecord(nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(RowCount(), 2);
    EXPECT_EQ(CellText(0, 0), "report.pdf");
    EXPECT_EQ(CellText(0, 2), "Quarterly");
    EXPECT_EQ(CellText(0, 3), "alice@example.com");
    EXPECT_EQ(CellText(0, 4), "2026/01/02 03:04:05");
    EXPECT_EQ(CellText(0, 5), "Inbox");
    for (int column = 0; column < 6; ++column) {
        if (column != 1) {
            EXPECT_EQ(CellText(1, column), "") << column;
        }
    }
    // Even a row without a file name carries the shell's answer as its type.
    ASSERT_NE(bare->typeName.node, nullptr);
    EXPECT_EQ(CellText(1, 1), bare->typeName.node->text);
}

// What the shell says about a name when asked directly, with no cache.
struct ShellAnswer {
    std::string typeName;
    int icon;
};
ShellAnswer FreshAnswer(const std::string& name) {
    SHFILEINFOA info = {};
    SHGetFileInfoA(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    return {info.szTypeName, info.iIcon};
}

// The cache must give every row what a fresh shell query would; names too
// long for the shell answer like a short name with the same extension.
TEST_F(ResultListTest, CachedTypeNamesMatchFreshQueries) {
    std::string longStem(300, 'n');
    const struct {
        std::string shown, askedFresh;
    } cases[] = {
        {"report.pdf", "report.pdf"},
        {"notes.txt", "notes.txt"},
        {"a.zip", "a.zip"},
        {"README", "README"},
        {"", ""},
        {"x.PDF", "x.PDF"},
        {"second.pdf", "second.pdf"},
        {"trailing.", "trailing."},
        {"b.tar.gz", "b.tar.gz"},
        {"other.txt", "other.txt"},
        {longStem + ".txt", "x.txt"},
        {longStem, "x"},
    };
    for (const auto& c : cases) {
        AttachmentRecord* record = AddTestRecord(c.shown.c_str());
        ShellAnswer fresh = FreshAnswer(c.askedFresh);
        EXPECT_EQ(record->typeName.node->text, fresh.typeName) << c.shown;
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = RowCount() - 1;
        SendMessageA(ResultList(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.iImage, fresh.icon) << c.shown;
        EXPECT_EQ(CellText(item.iItem, 1), fresh.typeName) << c.shown;
    }
    // Rows of one extension share one type-name node.
    const std::vector<AttachmentRecord*>& results = g_searchState->results;
    EXPECT_EQ(results[0]->typeName.node, results[6]->typeName.node);
    EXPECT_EQ(results[1]->typeName.node, results[9]->typeName.node);
    EXPECT_EQ(results[1]->typeName.node, results[10]->typeName.node);
}

// Names that the shell reads otherwise than their last '.' byte suggests
// (code page 932: a lead byte takes the next byte, a dot included), next to
// plain names with the same bytes after that '.'. Whichever comes first, every
// row gets what a fresh query for its own name gives; a filter's clear
// forgets every answer.
TEST_F(ResultListTest, AwkwardNamesGetWhatAFreshQueryGives) {
    ASSERT_EQ(GetACP(), 932u);
    const struct {
        std::string shown, askedFresh;
    } cases[] = {
        {"a.txt", "a.txt"},
        {"x\x82.txt", "x\x82.txt"},                // lead byte before the dot: no extension
        {"\xE3\x81\x82.pdf", "\xE3\x81\x82.pdf"},  // a raw UTF-8 letter, the same
        {"r.pdf", "r.pdf"},
        {"\x82\xA0.txt", "\x82\xA0.txt"},  // a double-byte letter before the dot
        {"a.b.txt", "a.b.txt"},
        {"b.tar.gz", "b.tar.gz"},
        {"trailing.", "trailing."},
        {"a.txt.", "a.txt."},
        {"README", "README"},
        {"x.PDF", "x.PDF"},
        {"x.ZZQ", "x.ZZQ"},  // unregistered: the shell's text keeps the case
        {"x.zzq", "x.zzq"},
        {"x. txt", "x. txt"},
        {"x.txt ", "x.txt "},
        {"x.\\txt", "x.\\txt"},
        {"x\\y.txt", "x\\y.txt"},
        {"..pdf", "..pdf"},
        {"x.pdf\x82", "x.pdf\x82"},
        {std::string(250, 'n') + ".txt", std::string(250, 'n') + ".txt"},
        // The longest names handed to the shell as they are, in one buffer each.
        {std::string(254, 'n') + ".txt", std::string(254, 'n') + ".txt"},
        {std::string(255, 'n') + ".txt", std::string(255, 'n') + ".txt"},
        {std::string(296, 'n') + ".txt", "x.txt"},
        {std::string(295, 'n') + "\x82.txt", "x"},
        {"", ""},
    };
    const int count = static_cast<int>(sizeof cases / sizeof cases[0]);
    for (const auto& c : cases) AddTestRecord(c.shown.c_str());
    const std::vector<AttachmentRecord*>& results = g_searchState->results;
    auto expectFresh = [&](int row, int index) {
        SCOPED_TRACE(index);
        ShellAnswer fresh = FreshAnswer(cases[index].askedFresh);
        EXPECT_EQ(results[index]->typeName.node->text, fresh.typeName);
        EXPECT_EQ(CellText(row, 1), fresh.typeName);
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(ResultList(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.iImage, fresh.icon);
    };
    for (int k = 0; k < count; ++k) expectFresh(k, k);

    EXPECT_FALSE(g_searchState->typeCache->answers.empty());
    ApplyFilterText("no row has this");
    EXPECT_EQ(RowCount(), 0);
    EXPECT_TRUE(g_searchState->typeCache->answers.empty());

    // The same records again, last first.
    ClearResultList(g_searchState);
    for (int k = count - 1; k >= 0; --k) AddResultRow(results[k], g_searchState);
    for (int k = 0; k < count; ++k) expectFresh(count - 1 - k, k);
}

TEST(TypeNameCacheTest, ShortStandInKeepsTheExtension) {
    char buffer[kShellNameLimit + 1];
    std::string fits(kShellNameLimit, 'a');
    EXPECT_EQ(ShellQueryName(fits.c_str(), buffer), fits.c_str());
    std::string tooLong = std::string(kShellNameLimit - 3, 'a') + ".pdf";
    EXPECT_STREQ(ShellQueryName(tooLong.c_str(), buffer), "a.pdf");
    EXPECT_STREQ(ShellQueryName(std::string(400, 'b').c_str(), buffer), "a");
    std::string hugeExtension = "x." + std::string(400, 'e');
    EXPECT_EQ(strlen(ShellQueryName(hugeExtension.c_str(), buffer)), size_t(kShellNameLimit));
    EXPECT_STREQ(ShellQueryName(nullptr, buffer), "");
}

TEST_F(ResultListTest, ColumnClicksSortAndShowOneArrow) {
    AddTestRecord("b.txt", "beta");
    AddTestRecord("c.txt", "gamma");
    AddTestRecord("a.txt", "alpha");
    const std::vector<std::string> up = {"alpha", "beta", "gamma"};
    const std::vector<std::string> down = {"gamma", "beta", "alpha"};

    ClickColumn(2);
    EXPECT_EQ(Column(2), up);
    EXPECT_EQ(HeaderFormat(2), kUp);
    ClickColumn(2);
    EXPECT_EQ(Column(2), down);
    EXPECT_EQ(HeaderFormat(2), kDown);
    ClickColumn(2);
    EXPECT_EQ(Column(2), up);
    EXPECT_EQ(HeaderFormat(2), kUp);

    ClickColumn(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(HeaderFormat(0), kUp);
    for (int column = 1; column < 6; ++column) EXPECT_EQ(HeaderFormat(column), kUnsorted);

    // Notifications of another kind, or from another control, sort nothing.
    NMHDR other = {GetDlgItem(g_searchWindow, IDCANCEL), IDCANCEL, LVN_COLUMNCLICK};
    SendMessageA(g_searchWindow, WM_NOTIFY, IDCANCEL, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(g_searchState->sortColumn, 0);
    EXPECT_EQ(g_searchState->sortAscending, 1);
}

}  // namespace

namespace {

void SelectRow(int row) {
    LVITEMA select = {};
    select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(ResultList(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
}

int NextRow(UINT flag) {
    return static_cast<int>(
        SendMessageA(ResultList(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag));
}

// Rows that compare equal keep the order they had, in either direction, and
// the selection and the focus stay on their record wherever it moves.
TEST_F(ResultListTest, SortsKeepTiesInOrderAndTheSelectionOnItsRecord) {
    AddTestRecord("x.txt", "1");
    AttachmentRecord* second = AddTestRecord("x.txt", "2");
    AddTestRecord("a.txt", "3");
    AddTestRecord("x.txt", "4");
    SelectRow(1);

    ClickColumn(0);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"3", "1", "2", "4"}));
    EXPECT_EQ(NextRow(LVNI_SELECTED), 2);
    EXPECT_EQ(NextRow(LVNI_FOCUSED), 2);
    ClickColumn(0);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "2", "4", "3"}));
    EXPECT_EQ(NextRow(LVNI_SELECTED), 1);
    EXPECT_EQ(NextRow(LVNI_FOCUSED), 1);
    ClickColumn(2);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(NextRow(LVNI_SELECTED), 1);

    // A double-click then names the record the selection followed.
    NMHDR click = {ResultList(), IDC_RESULT_LIST, static_cast<UINT>(NM_DBLCLK)};
    EXPECT_EQ(OnResultDoubleClick(&click, g_searchState), second);

    // With the focus moved alone (Ctrl with a key or a right-click), each
    // follows its own record, and a double-click names the selected one.
    LVITEMA focus = {};
    focus.stateMask = focus.state = LVIS_FOCUSED;
    SendMessageA(ResultList(), LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&focus));
    ClickColumn(2);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"4", "3", "2", "1"}));
    EXPECT_EQ(NextRow(LVNI_SELECTED), 2);
    EXPECT_EQ(NextRow(LVNI_FOCUSED), 0);
    EXPECT_EQ(OnResultDoubleClick(&click, g_searchState), second);

    // The selected row moving out of sight does not scroll the list.
    for (int k = 300; k > 0; --k) AddTestRecord(("r" + std::to_string(k + 1000) + ".txt").c_str());
    SelectRow(4);  // r1300.txt: the last r-name, row 300 by name
    ClickColumn(0);
    EXPECT_EQ(NextRow(LVNI_SELECTED), 300);
    EXPECT_EQ(SendMessageA(ResultList(), LVM_GETTOPINDEX, 0, 0), 0);

    // Ties among many rows (an unstable sort keeps a handful in order): forty
    // messages in three folders at four times, sorted by date and then by
    // folder either way, keep each folder's rows in date order and the rows of
    // one folder and time in the order found.
    const char* const folders[] = {"Inbox\\", "Inbox\\Work\\", "Inbox\\Home\\"};
    std::vector<StoreMessage> messages;
    for (int n = 0; n < 40; ++n) {
        std::string name = "m" + std::to_string(100 + n) + ".txt";
        std::string source = MessageWithAttachments("s", {name});
        source.replace(source.find("10:00:00"), 2, std::to_string(10 + n * 3 % 4));
        messages.push_back({folders[n % 3], std::to_string(100 + n) + ".eml", source});
    }
    std::string store = MakeMailStore(messages);
    CloseSearchWindowIfOpen();  // a window takes the data folder when it opens
    DevhostSetDataFolder(store);
    DevhostSetCurrentFolder("Inbox\\");
    ClickButton(OpenFromMenu(), IDC_SEARCH);
    ASSERT_EQ(RowCount(), 40);
    const std::vector<std::string> found = Column(0);
    auto foundAt = [&found](const std::string& name) {
        return std::find(found.begin(), found.end(), name) - found.begin();
    };
    ClickColumn(4);
    for (bool ascending : {true, false}) {
        ClickColumn(5);
        std::vector<std::string> names = Column(0), dates = Column(4), folderNames = Column(5);
        std::vector<std::string> outOfOrder;  // rows that should come before the row above
        for (size_t row = 1; row < names.size(); ++row) {
            bool inOrder;
            if (folderNames[row - 1] != folderNames[row])
                inOrder = (folderNames[row - 1] < folderNames[row]) == ascending;
            else if (dates[row - 1] != dates[row])
                inOrder = dates[row - 1] < dates[row];
            else
                inOrder = foundAt(names[row - 1]) < foundAt(names[row]);
            if (!inOrder) outOfOrder.push_back(names[row]);
        }
        EXPECT_EQ(outOfOrder, std::vector<std::string>{})
            << (ascending ? "ascending" : "descending");
    }
    RemoveTempMailStore(store);
}

int FindRow(UINT flags, const char* text, int start) {
    LVFINDINFOA find = {};
    find.flags = flags;
    find.psz = text;
    return static_cast<int>(
        SendMessageA(ResultList(), LVM_FINDITEMA, start, reinterpret_cast<LPARAM>(&find)));
}

// Type-to-find as Windows' list sends it to an ANSI dialog, in either form:
// the dialog's answer is its message result.
template <typename FindItem, typename Char>
LRESULT FindAsWindowsSends(UINT code, UINT flags, const Char* text, int start) {
    FindItem find = {};
    find.hdr = {ResultList(), IDC_RESULT_LIST, code};
    find.iStart = start;
    find.lvfi.flags = flags;
    find.lvfi.psz = text;
    return SendMessageA(g_searchWindow, WM_NOTIFY, IDC_RESULT_LIST,
                        reinterpret_cast<LPARAM>(&find));
}

// Typing a name's first letters selects its row, without regard to case, as
// in a list that keeps its own rows; so does the list's find by name, and so
// do the flags Windows sends (LVFI_SUBSTRING since Vista, 0x0004).
TEST_F(ResultListTest, TypeToFindAndFindByNameIgnoreCase) {
    AddTestRecord("alpha.txt");
    AddTestRecord("Beta.pdf");
    AddTestRecord("beta2.doc");
    AddTestRecord("\x83\x41.txt");  // a katakana letter whose second byte is 'A'
    AddTestRecord("\x8b\x63\x8e\x96\x98\x5e_1207.pdf");  // a Shift-JIS name

    SendMessageA(ResultList(), WM_CHAR, 'b', 1);
    EXPECT_EQ(NextRow(LVNI_SELECTED), 1);

    EXPECT_EQ(FindRow(LVFI_PARTIAL, "BETA2", -1), 2);
    EXPECT_EQ(FindRow(LVFI_STRING, "beta.PDF", -1), 1);
    EXPECT_EQ(FindRow(LVFI_STRING, "beta", -1), -1);
    EXPECT_EQ(FindRow(LVFI_PARTIAL | LVFI_WRAP, "ALP", 2), 0);
    EXPECT_EQ(FindRow(LVFI_PARTIAL, "alp", 2), -1);
    EXPECT_EQ(FindRow(LVFI_PARTIAL, "\x83\x41", -1), 3);
    EXPECT_EQ(FindRow(LVFI_PARTIAL, "\x83\x61", -1), -1);  // the letter is not folded bytewise
    EXPECT_EQ(FindRow(LVFI_PARAM, nullptr, -1), -1);

    const UINT kSubstring = 0x0004, kTyped = LVFI_STRING | kSubstring | LVFI_WRAP;
    auto findA = [](UINT flags, const char* text, int start) {
        return FindAsWindowsSends<NMLVFINDITEMA>(LVN_ODFINDITEMA, flags, text, start);
    };
    auto findW = [](UINT flags, const wchar_t* text, int start) {
        return FindAsWindowsSends<NMLVFINDITEMW>(LVN_ODFINDITEMW, flags, text, start);
    };
    EXPECT_EQ(findA(kTyped, "BE", 0), 1);
    EXPECT_EQ(findA(kTyped, "be", 2), 2);  // the start row itself is searched
    EXPECT_EQ(findA(kTyped, "alp", 3), 0);
    EXPECT_EQ(findA(kTyped, "\x8b\x63\x8e\x96", 1), 4);
    EXPECT_EQ(findA(kTyped, "\x83\x61", 0), -1);
    EXPECT_EQ(findA(kSubstring, "alp", 1), -1);  // no wrap without LVFI_WRAP
    EXPECT_EQ(findA(LVFI_PARTIAL, "alp", 5), -1);
    EXPECT_EQ(findA(kSubstring | LVFI_WRAP, "alp", 5), 0);
    EXPECT_EQ(findA(LVFI_WRAP, "beta.pdf", 2), 1);  // alone, a search for the whole name
    EXPECT_EQ(findA(LVFI_NEARESTXY | LVFI_STRING, "alpha.txt", 0), -1);
    EXPECT_EQ(findA(LVFI_PARAM, nullptr, 0), -1);
    EXPECT_EQ(findW(kTyped, L"BETA2", 0), 2);
    EXPECT_EQ(findW(kTyped, L"\x8b70\x4e8b", 0), 4);  // the same prefix in UTF-16
    EXPECT_EQ(findW(kSubstring, L"alpha", 1), -1);
}

void PressKey(UINT message, WPARAM key) {
    SendMessageA(ResultList(), message, key, 1);
}

void ClickRow(int row, UINT down = WM_LBUTTONDOWN, WPARAM keys = 0) {
    ClickListRow(ResultList(), row, down, keys);
    PumpMessages();
}

// Keys, letters and clicks move the one selection as a list does by itself,
// though the selected row is deselected before the list sees them: input
// that selects nothing else leaves it selected, and a click beside the rows
// deselects, unless Ctrl or Shift is down.
TEST_F(ResultListTest, KeysLettersAndClicksMoveTheSelectionAsTheListDoes) {
    for (const char* name : {"a0.txt", "b1.txt", "c2.txt", "d3.txt", "b4.txt"}) AddTestRecord(name);
    SelectRow(1);
    auto at = [](int selected, int focused) {
        EXPECT_EQ(NextRow(LVNI_SELECTED), selected);
        EXPECT_EQ(NextRow(LVNI_FOCUSED), focused);
    };
    PressKey(WM_KEYDOWN, VK_DOWN);
    at(2, 2);
    PressKey(WM_KEYDOWN, VK_UP);
    PressKey(WM_KEYDOWN, VK_UP);
    PressKey(WM_KEYDOWN, VK_UP);  // already at the top
    at(0, 0);
    PressKey(WM_KEYDOWN, VK_END);
    at(4, 4);
    PressKey(WM_KEYDOWN, VK_HOME);
    PressKey(WM_KEYDOWN, VK_SPACE);
    at(0, 0);
    PressKey(WM_CHAR, 'c');
    PressKey(WM_CHAR, 'x');  // "cx" names no row
    at(2, 2);
    ClickRow(3);
    ClickRow(3);
    at(3, 3);
    ClickRow(1, WM_RBUTTONDOWN);
    at(1, 1);
    ClickRow(-1, WM_LBUTTONDOWN, MK_CONTROL);
    at(1, 1);
    ClickRow(-1, WM_LBUTTONDOWN, MK_SHIFT);
    at(1, 1);
    ClickRow(-1);
    EXPECT_EQ(NextRow(LVNI_SELECTED), -1);
    PressKey(WM_KEYDOWN, VK_DOWN);
    at(2, 2);
}

std::string ReadCell(HWND list, int row, int column, int size, LRESULT* length) {
    std::vector<char> text(static_cast<size_t>(size) + 1, '#');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = size;
    *length = SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return std::string(text.data());
}

// Read from outside, every cell gives the bytes a list that keeps its own
// texts gives: checked against such a list holding the same texts, also for
// bytes the code page has no character for.
TEST_F(ResultListTest, CellsReadFromOutsideGiveWhatAListKeepingTheTextsGives) {
    const std::string texts[] = {
        "report.pdf",     "",           "\x82\xa0\x82\xa2.txt",        "a\xff\xfe\xfd b",
        "\x85\x40\x82 z", "x\x81\x39y", std::string(700, 'n') + ".txt"};
    HWND plain = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 200, 100,
                                 g_searchWindow, nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    for (int column = 0; column < 6; ++column) {
        LVCOLUMNA info = {};
        info.mask = LVCF_SUBITEM;
        info.iSubItem = column;
        SendMessageA(plain, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    }
    int row = 0;
    for (const std::string& text : texts) {
        const char* t = text.c_str();
        AttachmentRecord* record = AddTestRecord(t, t, t, t, t);
        const RefString* cells[] = {&record->fileName, &record->typeName, &record->subject,
                                    &record->sender,   &record->date,     &record->folderName};
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<char*>(t);
        SendMessageA(plain, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 0; column < 6; ++column) {
            item.iSubItem = column;
            item.pszText = cells[column]->node->text;
            SendMessageA(plain, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            LRESULT shownLength = 0, plainLength = 0;
            std::string shown = ReadCell(ResultList(), row, column, 1024, &shownLength);
            EXPECT_EQ(shown, ReadCell(plain, row, column, 1024, &plainLength))
                << "row " << row << " column " << column;
            EXPECT_EQ(shownLength, plainLength) << "row " << row << " column " << column;
        }
        ++row;
    }
    DestroyWindow(plain);

    // A buffer too short gets the text's first bytes, ended.
    LRESULT length = 0;
    EXPECT_EQ(ReadCell(ResultList(), 0, 0, 4, &length), "rep");
    EXPECT_EQ(ReadCell(ResultList(), 6, 2, 512, &length), std::string(511, 'n'));
    EXPECT_EQ(length, 511);
    EXPECT_EQ(ReadCell(ResultList(), 2, 0, 4, &length), "\x82\xa0");  // whole characters only

    // The same, asked as Windows' list asks the dialog (Wine's hands the
    // reader's own buffer through).
    for (int size : {1, 3, 4, 5}) {
        char cell[8] = "#######";
        NMLVDISPINFOA info = {};
        info.hdr = {ResultList(), IDC_RESULT_LIST, static_cast<UINT>(LVN_GETDISPINFOA)};
        info.item.mask = LVIF_TEXT;
        info.item.iItem = 2;
        info.item.pszText = cell;
        info.item.cchTextMax = size;
        SendMessageA(g_searchWindow, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::string(cell), std::string("\x82\xa0\x82\xa2", size < 3   ? 0
                                                                     : size < 5 ? 2
                                                                                : 4));
    }
}

}  // namespace
