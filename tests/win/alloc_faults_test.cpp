// Out of memory inside the host: the plug-in's test build (QuenfoldFaults.dll,
// with tests/win/failing_allocator.cpp) fails its N-th allocation, once or
// from then on, for N = 1, 2, 3 ... until a whole session runs without
// reaching N. Every session ends with the host alive, every host text given
// back once, the rows shown whole and in the order found, and after the close
// (or the host's exit, the failures still on) nothing of the plug-in's left
// allocated; a session without failures then shows every row again.
#include <gtest/gtest.h>
#include <windows.h>
// The controls' declarations need <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "search/attachment_record.h"
#include "tests/win/hostile_support.h"
#include "tests/win/mail_store_support.h"
#include "tests/win/ui_window_support.h"
#include "ui/resource.h"

namespace {

typedef void (*FailAllocationsFn)(long failAt, int onward);
typedef long (*CountFn)();
typedef int(WINAPI* MenuInitFn)(HWND, HMENU, int);
typedef int(WINAPI* InfoFn)(char*);
typedef int(WINAPI* ExitFn)();

struct FaultyPlugin {
    HMODULE module = nullptr;
    FailAllocationsFn failAllocations = nullptr;
    CountFn allocationCalls = nullptr;
    CountFn liveAllocations = nullptr;
    ExitFn onExit = nullptr;
    int commandId = 0;
};

void* Export(HMODULE module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

// A message whose parts name their files in the given header lines.
std::string MessageNaming(const std::string& subject, const Strings& contentLines) {
    std::string source = "From: sender@example.com\r\nSubject: " + subject +
                         "\r\nDate: Mon, 7 Dec 2026 10:00:00 +0900\r\nMIME-Version: 1.0\r\n"
                         "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
    for (const std::string& line : contentLines) source += "--b\r\n" + line + "\r\n\r\nAAAA\r\n";
    return source + "--b--\r\n";
}

// Three folders; quoted names (plain and encoded) go through the host's
// conversion, raw ones are taken as they stand; a name without an extension
// and one whose extension is too long to be kept in place in a key.
std::vector<StoreMessage> SessionStore() {
    return {
        {"Inbox\\", "001.eml",
         MessageNaming("one", {"Content-Type: application/pdf; name=\"report.pdf\"",
                               "Content-Disposition: attachment; filename=data.bin"})},
        {"Inbox\\", "002.eml",
         MessageNaming("two", {"Content-Disposition: attachment; "
                               "filename=\"=?utf-8?B?5pel5pys6KqeLnR4dA==?=\"",
                               "Content-Disposition: attachment; filename=README"})},
        {"Inbox\\", "003.eml", MessageNaming("none", {})},
        {"Inbox\\Projects\\", "004.eml",
         MessageNaming("three", {"Content-Disposition: attachment; filename=notes.markdown",
                                 "Content-Type: application/pdf; name=plan.pdf"})},
        {"Inbox\\Archive\\", "005.eml",
         MessageNaming("four", {"Content-Disposition: attachment; filename=\"photo.jpg\""})},
    };
}

typedef const char* (*RowMessageIdFn)(int row);
RowMessageIdFn g_shownRowMessageId;  // the test build's view of the rows' records

// Each row as its six cells and the message id of the record behind it,
// read as the plug-in itself reads it.
Strings ShownRows(HWND dialog) {
    Strings rows(RowCount(dialog));
    for (int column = 0; column < 6; ++column) {
        Strings cells = Column(dialog, column);
        for (size_t row = 0; row < rows.size() && row < cells.size(); ++row)
            rows[row] += cells[row] + "\t";
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        const char* id = g_shownRowMessageId(static_cast<int>(row));
        rows[row] += id ? id : "<absent>";
    }
    return rows;
}

std::string FileNameOf(const std::string& row) {
    return row.substr(0, row.find('\t'));
}

std::string MessageIdOf(const std::string& row) {
    return row.substr(row.rfind('\t') + 1);
}

bool IsPrefix(const Strings& part, const Strings& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

void DoubleClickRow(HWND dialog, int row) {
    LVITEMA select = {};
    select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(ResultList(dialog), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
    NMITEMACTIVATE click = {};
    click.hdr = {ResultList(dialog), IDC_RESULT_LIST, static_cast<UINT>(NM_DBLCLK)};
    click.iItem = row;
    SendMessageA(dialog, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM data) {
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(data);
    if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindOwnedWindow(HWND owner) {
    OwnedSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CountDialog(HWND window, LPARAM data) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770") ++*reinterpret_cast<int*>(data);
    return TRUE;
}

// The plug-in's windows are the thread's only dialogs.
int DialogsOpen() {
    int open = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountDialog, reinterpret_cast<LPARAM>(&open));
    return open;
}

enum SessionEnd { kCloseButton, kHostExit };

class AllocFaults : public ::testing::Test {
  protected:
    static FaultyPlugin plugin;
    static HWND hostWindow;
    static std::string store;
    static Strings allRows;       // a session without failures, in the order found
    static long loadAllocations;  // made while the library loaded (DllMain included)

    static void SetUpTestSuite() {
        DevhostInit();
        DevhostReset();
        store = MakeMailStore(SessionStore());
        DevhostSetDataFolder(store);
        DevhostSetCurrentFolder("Inbox\\");
        hostWindow = MakeHostMainWindow();
        plugin.module = LoadLibraryA((ProgramFolder() + "QuenfoldFaults.dll").c_str());
        if (!plugin.module) return;
        plugin.allocationCalls =
            reinterpret_cast<CountFn>(Export(plugin.module, "QfAllocationCalls"));
        loadAllocations = plugin.allocationCalls ? plugin.allocationCalls() : -1;
        plugin.failAllocations =
            reinterpret_cast<FailAllocationsFn>(Export(plugin.module, "QfFailAllocations"));
        plugin.liveAllocations =
            reinterpret_cast<CountFn>(Export(plugin.module, "QfLiveAllocations"));
        plugin.onExit = reinterpret_cast<ExitFn>(Export(plugin.module, "BKC_OnExit"));
        g_shownRowMessageId =
            reinterpret_cast<RowMessageIdFn>(Export(plugin.module, "QfShownRowMessageId"));
        HMENU bar = CreateMenu();
        for (int i = 0; i < 5; ++i)
            AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "menu");
        reinterpret_cast<MenuInitFn>(Export(plugin.module, "BKC_OnMenuInit"))(nullptr, bar, 0);
        DestroyMenu(bar);
        if (!DevhostCommandIds().empty()) plugin.commandId = DevhostCommandIds().back();
    }

    static void TearDownTestSuite() {
        if (plugin.module) FreeLibrary(plugin.module);
        DestroyWindow(hostWindow);
        RemoveTempMailStore(store);
    }

    void SetUp() override {
        ASSERT_NE(plugin.module, nullptr) << GetLastError();
        ASSERT_NE(plugin.failAllocations, nullptr);
        ASSERT_NE(g_shownRowMessageId, nullptr);
        ASSERT_NE(plugin.commandId, 0);
        if (allRows.empty()) allRows = CleanSessionRows();
        ASSERT_FALSE(allRows.empty());
    }

    static Strings CleanSessionRows() {
        plugin.failAllocations(0, 0);
        HWND dialog = reinterpret_cast<HWND>(
            static_cast<intptr_t>(DevhostRunCommand(plugin.commandId, hostWindow)));
        if (!dialog) return {};
        ClickButton(dialog, IDC_SEARCH);
        Strings rows = ShownRows(dialog);
        ClickButton(dialog, IDCANCEL);
        PumpMessages();
        return rows;
    }

    // One session from the host's menu to the close button or the host's
    // exit, with the plug-in's failAt-th allocation failing (and every later
    // one with onward). True when the session reached failAt.
    bool RunSession(long failAt, bool onward, SessionEnd end = kCloseButton) {
        long liveBefore = plugin.liveAllocations();
        size_t mailsShown = DevhostSetCurrentMailLog().size();
        plugin.failAllocations(failAt, onward);

        HWND dialog = reinterpret_cast<HWND>(
            static_cast<intptr_t>(DevhostRunCommand(plugin.commandId, hostWindow)));
        bool reached = plugin.allocationCalls() >= failAt;
        if (dialog) {
            ClickButton(dialog, IDC_SEARCH);
            EXPECT_TRUE(IsWindowEnabled(hostWindow));
            EXPECT_TRUE(IsWindowEnabled(dialog));
            EXPECT_EQ(FindOwnedWindow(dialog), nullptr) << "the progress window stayed";
            EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
            ExpectHostTextsBalanced();
            Strings found = ShownRows(dialog);
            EXPECT_TRUE(IsPrefix(found, allRows)) << found.size() << " rows";

            // The filter walks the records in the order found; what it shows
            // of them is a prefix of the matches.
            SetDlgItemTextA(dialog, IDC_FILTER_TEXT, "A");
            ClickButton(dialog, IDC_APPLY_FILTER);
            Strings matches;
            for (const std::string& row : allRows) {
                std::string name = FileNameOf(row);
                if (name.find_first_of("aA") != std::string::npos) matches.push_back(row);
            }
            Strings filtered = ShownRows(dialog);
            EXPECT_TRUE(IsPrefix(filtered, matches)) << filtered.size() << " rows";

            // Sorting moves whole rows: the same rows, ordered by the column.
            for (int column : {2, 0}) {
                ClickColumn(dialog, column);
                Strings sorted = ShownRows(dialog);
                Strings before = filtered, after = sorted;
                std::sort(before.begin(), before.end());
                std::sort(after.begin(), after.end());
                EXPECT_EQ(after, before) << "column " << column;
            }
            Strings sorted = ShownRows(dialog);
            EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));  // file name first

            if (!sorted.empty()) {
                DoubleClickRow(dialog, 0);
                Strings mails = DevhostSetCurrentMailLog();
                EXPECT_EQ(mails.size(), mailsShown + 1);
                if (mails.size() == mailsShown + 1) {
                    EXPECT_EQ(mails.back(), MessageIdOf(sorted[0]));
                }
            }

            if (end == kCloseButton) {
                // With memory back, the same window searches in full again.
                reached = plugin.allocationCalls() >= failAt;
                plugin.failAllocations(0, 0);
                ClickButton(dialog, IDC_SEARCH);
                EXPECT_EQ(ShownRows(dialog), allRows);
                ClickButton(dialog, IDCANCEL);
                PumpMessages();
                EXPECT_FALSE(IsWindow(dialog));
            }
        }
        if (end == kHostExit) {
            // The host quits with the window as the failures left it, and
            // they go on failing.
            plugin.onExit();
            PumpMessages();
            reached = plugin.allocationCalls() >= failAt;
            EXPECT_FALSE(dialog && IsWindow(dialog));
        }
        plugin.failAllocations(0, 0);
        EXPECT_EQ(DialogsOpen(), 0);
        EXPECT_EQ(plugin.liveAllocations(), liveBefore) << "allocations left after the close";
        ExpectHostTextsBalanced();
        EXPECT_TRUE(AllHeapsValid());
        return reached;
    }

    // N = 1, 2, 3 ... until a session no longer reaches N; after each, a
    // session without failures shows every row. Returns the points reached.
    long FailEachAllocation(bool onward, SessionEnd end = kCloseButton) {
        long failAt = 1;
        for (; failAt < 100000; ++failAt) {
            SCOPED_TRACE((onward ? "from allocation " : "at allocation ") + std::to_string(failAt));
            bool reached = RunSession(failAt, onward, end);
            EXPECT_EQ(CleanSessionRows(), allRows);
            if (::testing::Test::HasFailure() || !reached) break;
        }
        return failAt - 1;
    }
};

FaultyPlugin AllocFaults::plugin;
HWND AllocFaults::hostWindow;
std::string AllocFaults::store;
Strings AllocFaults::allRows;
long AllocFaults::loadAllocations;

TEST_F(AllocFaults, SessionWithoutFailuresShowsEveryRowAndLeavesNothing) {
    // Seven attachments; the encoded name arrives converted ("日本語.txt").
    Strings names;
    for (const std::string& row : allRows) names.push_back(FileNameOf(row));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Strings{"README", "data.bin", "notes.markdown", "photo.jpg", "plan.pdf",
                              "report.pdf", "\x93\xfa\x96\x7b\x8c\xea.txt"}));
    EXPECT_FALSE(RunSession(100000, false));
}

TEST_F(AllocFaults, EachAllocationFailingOnce) {
    long points = FailEachAllocation(false);
    std::printf("allocation points reached, each failing once: 1 to %ld\n", points);
    EXPECT_GT(points, 10);
}

TEST_F(AllocFaults, EachAllocationFailingFromThenOn) {
    long points = FailEachAllocation(true);
    std::printf("allocation points reached, failing from then on: 1 to %ld\n", points);
    EXPECT_GT(points, 10);
}

TEST_F(AllocFaults, EachAllocationFailingOnceThenHostExit) {
    long points = FailEachAllocation(false, kHostExit);
    std::printf("allocation points reached, each failing once, host exit: 1 to %ld\n", points);
    EXPECT_GT(points, 10);
}

TEST_F(AllocFaults, EachAllocationFailingFromThenOnThenHostExit) {
    long points = FailEachAllocation(true, kHostExit);
    std::printf("allocation points reached, failing from then on, host exit: 1 to %ld\n", points);
    EXPECT_GT(points, 10);
}

// The entry function and the callbacks other than the menu command's reach
// no allocation at all, so nothing can be thrown out of them.
TEST_F(AllocFaults, EntryFunctionAndCallbacksAllocateNothing) {
    EXPECT_EQ(loadAllocations, 0);
    plugin.failAllocations(1, 1);
    char record[320] = "";
    reinterpret_cast<InfoFn>(Export(plugin.module, "BKC_OnPlugInInfo"))(record);
    HMENU bar = CreateMenu();
    for (int i = 0; i < 5; ++i)
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "menu");
    reinterpret_cast<MenuInitFn>(Export(plugin.module, "BKC_OnMenuInit"))(nullptr, bar, 0);
    DestroyMenu(bar);
    EXPECT_EQ(plugin.allocationCalls(), 0);
    plugin.failAllocations(0, 0);
}

}  // namespace
