// Whole searches over mail stores on disk, through the search button of a
// real search window, with the stand-in host linked into the test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "host/plugin_globals.h"
#include "search/search_driver.h"
#include "search/search_state.h"
#include "tests/win/search_session_support.h"
#include "tests/win/ui_window_support.h"
#include "ui/resource.h"

namespace {

struct DriverTest : SearchSession {
    void TearDown() override {
        SearchSession::TearDown();
        DevhostCounters counters = DevhostGetCounters();
        EXPECT_EQ(counters.sourcesHandedOut, counters.sourcesFreed);
        EXPECT_EQ(counters.headersHandedOut, counters.headersFreed);
        EXPECT_EQ(counters.doubleFrees + counters.unknownFrees, 0);
        EXPECT_TRUE(DevhostUncalledLog().empty());
    }

    // Folders made current during the search, without the final restore.
    Strings ScannedFolders() {
        Strings log = DevhostSetCurrentFolderLog();
        EXPECT_FALSE(log.empty());
        if (!log.empty()) log.pop_back();
        return log;
    }
};

StoreMessage Msg(const char* folder, const char* file, std::vector<std::string> names) {
    return {folder, file, MessageWithAttachments(file, names)};
}

std::vector<StoreMessage> Tree() {
    return {Msg("Inbox\\", "1.eml", {"a.pdf", "b.txt"}),
            Msg("Inbox\\", "2.eml", {"c.doc"}),
            Msg("Inbox\\Alpha\\", "1.eml", {"d.zip"}),
            Msg("Inbox\\Alpha\\Deep\\", "1.eml", {"e.png"}),
            Msg("Inbox\\#Hidden\\", "1.eml", {"hidden.pdf"}),
            Msg("Inbox\\#Hidden\\Below\\", "1.eml", {"below.pdf"}),
            Msg("Inbox\\Beta\\", "1.eml", {"f.xls"}),
            {"Inbox\\", "notes.txt", MessageWithAttachments("decoy", {"decoy.pdf"})},
            Msg("Other\\", "1.eml", {"other.pdf"})};
}

TEST_F(DriverTest, CurrentFolderOnly) {
    Open(Tree());
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"a.pdf", "b.txt", "c.doc"}));
    EXPECT_EQ(Column(0), FileNames());
    EXPECT_EQ(Column(5), (Strings{"Inbox", "Inbox", "Inbox"}));
    EXPECT_EQ(DevhostSetCurrentFolderLog(), (Strings{"Inbox\\", "Inbox\\"}));
    EXPECT_EQ(g_searchState->idle, 1);
    char title[256];
    GetWindowTextA(g_searchWindow, title, sizeof title);
    EXPECT_STREQ(title, "Quenfold - Inbox");
}

TEST_F(DriverTest, WalkIsDepthFirstAndSkipsHashDirectories) {
    Open(Tree());
    Search(true);
    Strings folders = ScannedFolders();
    ASSERT_EQ(folders.size(), 4u);
    EXPECT_EQ(folders[0], "Inbox\\");
    // Siblings come in the directory's own order; each folder precedes its subfolders.
    auto at = [&](const char* id) {
        return std::find(folders.begin(), folders.end(), id) - folders.begin();
    };
    EXPECT_EQ(at("Inbox\\Alpha\\Deep\\"), at("Inbox\\Alpha\\") + 1);
    EXPECT_LT(at("Inbox\\Beta\\"), 4);
    Strings names = FileNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Strings{"a.pdf", "b.txt", "c.doc", "d.zip", "e.png", "f.xls"}));
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
    char title[256];
    GetWindowTextA(g_searchWindow, title, sizeof title);
    EXPECT_STREQ(title, "Quenfold - Inbox");  // the start folder, also after subfolders
}

TEST_F(DriverTest, StartInSubfolderCoversOnlyItsBranch) {
    Open(Tree(), "Inbox\\Alpha\\");
    Search(true);
    EXPECT_EQ(FileNames(), (Strings{"d.zip", "e.png"}));
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\Alpha\\");
}

TEST_F(DriverTest, AbortStopsAfterTheMessageAtHand) {
    Open(Tree());
    DevhostAbortAfter(1);
    Search(true);
    EXPECT_EQ(FileNames(), (Strings{"a.pdf", "b.txt"}));
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(ScannedFolders(), (Strings{"Inbox\\"}));
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
    EXPECT_EQ(g_searchState->idle, 1);
    EXPECT_TRUE(IsWindowEnabled(g_searchWindow));

    // Abort at the last message of a folder: no later folder is scanned.
    DevhostReset();
    DevhostSetCurrentFolder("Inbox\\");
    DevhostAbortAfter(2);
    Search(true);
    EXPECT_EQ(FileNames(), (Strings{"a.pdf", "b.txt", "c.doc"}));
    EXPECT_EQ(ScannedFolders(), (Strings{"Inbox\\"}));
}

// One message too long to scan between two drains: with no drain interval the
// queue runs whenever the scan asks, so an abort clicked while the message is
// scanned ends the search inside it, with a prefix of its rows.
TEST_F(DriverTest, AbortWithinAHugeMessage) {
    std::string blocks;
    for (int k = 0; k < 5000; ++k)
        blocks += "Content-Type: a/b; name=" + std::to_string(k) + ".txt\r\n\r\n";
    Open({Msg("Inbox\\", "1.eml", {"a.pdf"}), {"Inbox\\", "2.eml", blocks}});
    Search(false);
    Strings full = FileNames();
    ASSERT_EQ(full.size(), 5001u);

    DevhostReset();
    DevhostSetCurrentFolder("Inbox\\");
    g_searchState->drainInterval = 0;
    DevhostAbortAfter(2);
    Search(false);
    Strings shown = Column(0);
    EXPECT_GT(shown.size(), 1u);
    EXPECT_LT(shown.size(), full.size());
    EXPECT_EQ(shown, Strings(full.begin(), full.begin() + shown.size()));
    EXPECT_EQ(FileNames(), shown);
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, 2);
    EXPECT_EQ(DevhostGetCounters().abortsPosted, 1);
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
    EXPECT_EQ(g_searchState->idle, 1);
    EXPECT_TRUE(IsWindowEnabled(g_searchWindow));
}

TEST_F(DriverTest, SecondSearchReplacesTheFirst) {
    Open(Tree());
    Search(false);
    ClickColumn(0);
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"a.pdf", "b.txt", "c.doc"}));
    EXPECT_EQ(Column(0), FileNames());
    EXPECT_EQ(g_searchState->sortColumn, -1);
}

TEST_F(DriverTest, MessagesTheHostCannotServeAreSkipped) {
    Open(Tree());
    DevhostFailSource("Inbox\\1.eml");
    DevhostFailHeader("Inbox\\2.eml");
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"c.doc"}));
    EXPECT_EQ(g_searchState->results[0]->subject.node, nullptr);
    EXPECT_EQ(g_searchState->results[0]->date.node, nullptr);
}

TEST_F(DriverTest, FoldersThatCannotBeListedStillHaveTheirMessagesScanned) {
    Open(Tree(), "Missing\\");
    Search(true);
    EXPECT_TRUE(FileNames().empty());
    EXPECT_EQ(DevhostSetCurrentFolderLog(), (Strings{"Missing\\", "Missing\\"}));
}

// A quit posted while the search runs belongs to the host's loop: the search
// ends and the quit is still there afterwards.
TEST_F(DriverTest, QuitDuringSearchEndsItAndStaysQueued) {
    Open(Tree());
    PostQuitMessage(7);
    Search(true);
    EXPECT_EQ(FileNames(), (Strings{"a.pdf", "b.txt"}));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
