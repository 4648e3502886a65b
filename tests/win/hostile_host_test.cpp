// A host that misbehaves: no source, no header block, a name conversion that
// fails or fills its whole buffer, message ids of the longest length, and an
// abort after each of the first twenty messages.
#include <windows.h>
// The controls' declarations need <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/win/hostile_support.h"

namespace {

struct HostileHost : HostileSession {};

std::string Disposition(const std::string& name) {
    return "Content-Disposition: attachment; filename=" + name;
}

// Two header blocks with an attachment each, one quoted, one not.
std::string TwoAttachments(const std::string& subject, const std::string& first,
                           const std::string& second) {
    return "Subject: " + subject +
           "\r\nFrom: f@example.com\r\nDate: Mon, 7 Dec 2026 10:00:00 +0900\r\n"
           "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
           "Content-Type: a/b; name=\"" +
           first + "\"\r\n\r\nAAAA\r\n--b\r\n" + Disposition(second) + "\r\n\r\nBBBB\r\n--b--\r\n";
}

std::vector<StoreMessage> ThreeMessages() {
    return {{"Inbox\\", "1.eml", TwoAttachments("one", "a.pdf", "b.txt")},
            {"Inbox\\", "2.eml", TwoAttachments("two", "c.doc", "d.zip")},
            {"Inbox\\", "3.eml", TwoAttachments("three", "e.xls", "f.png")}};
}

TEST_F(HostileHost, NoSourceOrNoHeaderBlock) {
    Open(ThreeMessages());
    // One message without a source, one without a header block.
    DevhostFailSource("Inbox\\1.eml");
    DevhostFailHeader("Inbox\\2.eml");
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"c.doc", "d.zip", "e.xls", "f.png"}));
    EXPECT_EQ(Field(&AttachmentRecord::subject),
              (Strings{"<absent>", "<absent>", "three", "three"}));
    EXPECT_EQ(Field(&AttachmentRecord::sender),
              (Strings{"<absent>", "<absent>", "f@example.com", "f@example.com"}));
    EXPECT_EQ(Field(&AttachmentRecord::date),
              (Strings{"<absent>", "<absent>", "2026/12/07 10:00:00", "2026/12/07 10:00:00"}));
    ExpectHostTextsBalanced();

    // No source and no header for any message.
    DevhostReset();
    DevhostSetCurrentFolder("Inbox\\");
    for (const char* id : {"Inbox\\1.eml", "Inbox\\2.eml", "Inbox\\3.eml"}) {
        DevhostFailSource(id);
        DevhostFailHeader(id);
    }
    Search(false);
    EXPECT_TRUE(FileNames().empty());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, 0);
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");

    // Headers only missing: every record is made, without subject, sender or date.
    DevhostReset();
    DevhostSetCurrentFolder("Inbox\\");
    for (const char* id : {"Inbox\\1.eml", "Inbox\\2.eml", "Inbox\\3.eml"}) DevhostFailHeader(id);
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"a.pdf", "b.txt", "c.doc", "d.zip", "e.xls", "f.png"}));
    EXPECT_EQ(Field(&AttachmentRecord::subject), Strings(6, "<absent>"));
    EXPECT_EQ(Column(2), Strings(6, ""));
}

TEST_F(HostileHost, NameConversionFailsOrFillsItsBuffer) {
    Open(ThreeMessages());
    DevhostSetMimeFault(kMimeReturnsNull);
    Search(false);
    // Quoted names are absent; unquoted ones never reach the host.
    EXPECT_EQ(FileNames(),
              (Strings{"<absent>", "b.txt", "<absent>", "d.zip", "<absent>", "f.png"}));
    EXPECT_EQ(CellText(0, 0), "");
    EXPECT_EQ(CellText(0, 1), ShellTypeName(""));
    ApplyFilterText("");
    EXPECT_EQ(RowCount(), 6);
    ApplyFilterText("p");  // an absent name matches only the empty filter
    EXPECT_EQ(Column(0), (Strings{"d.zip", "f.png"}));

    DevhostSetMimeFault(kMimeFillsBuffer);
    Search(false);
    const std::string full(255, 'X');
    EXPECT_EQ(FileNames(), (Strings{full, "b.txt", full, "d.zip", full, "f.png"}));
    EXPECT_EQ(CellText(0, 0), full);
    EXPECT_EQ(CellText(0, 1), ShellTypeName(full));
    ExpectHostTextsBalanced();
}

// The host's ids are at most 255 bytes. The store lies right below the root
// of drive C:, so that the host can still open a file whose id is that long.
TEST_F(HostileHost, MessageIdsOfTheLongestLength) {
    const std::string root = "C:\\";
    const std::string folder = "h\\";
    const std::string longest(255 - folder.size() - 4, 'i');  // id: 255 bytes
    const std::string tooLong(256 - folder.size() - 4, 'j');  // id: 256 bytes, cut by the host
    WriteMessage(root, folder, longest + ".eml", OneHeaderLine(Disposition("long.txt"), "L"));
    WriteMessage(root, folder, tooLong + ".eml", OneHeaderLine(Disposition("cut.txt"), "C"));
    WriteMessage(root, folder, "1.eml", OneHeaderLine(Disposition("short.txt"), "S"));
    DevhostSetDataFolder(root);
    DevhostSetCurrentFolder(folder);
    ASSERT_NE(OpenFromMenu(), nullptr);
    Search(false);

    // The cut id names no message: its source is empty and yields nothing.
    EXPECT_EQ(FileNames(), (Strings{"short.txt", "long.txt"}));
    Strings ids = Field(&AttachmentRecord::messageId);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[1], folder + longest + ".eml");
    EXPECT_EQ(ids[1].size(), 255u);
    EXPECT_EQ(Field(&AttachmentRecord::subject), (Strings{"S", "L"}));
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, 3);

    // A double-click hands the whole id back to the host.
    LVITEMA select = {};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(ResultList(), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
    NMHDR click = {ResultList(), IDC_RESULT_LIST, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(g_searchWindow, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(DevhostSetCurrentMailLog(), (Strings{folder + longest + ".eml"}));

    CloseSearchWindowIfOpen();
    for (const std::string& name : {longest + ".eml", tooLong + ".eml", std::string("1.eml")})
        DeleteFileA((root + folder + name).c_str());
    RemoveDirectoryA((root + folder).c_str());
}

// Messages in walk order (folder by folder, each folder's files in byte
// order), some with two attachments and some with none.
struct Walked {
    std::string folder;
    std::string file;
    Strings names;
};

TEST_F(HostileHost, AbortAfterEachOfTheFirstTwentyMessages) {
    const std::vector<std::pair<std::string, int>> layout = {
        {"Inbox\\", 5},    {"Inbox\\A\\", 4},  {"Inbox\\A\\B\\", 3}, {"Inbox\\C\\", 0},
        {"Inbox\\D\\", 6}, {"Inbox\\#H\\", 2}, {"Inbox\\E\\", 4}};
    std::map<std::string, Walked> byId;
    int serial = 0;
    store = MakeTempMailStore();
    for (const auto& folder : layout) {
        MakeFolder(store, folder.first);
        for (int i = 1; i <= folder.second; ++i) {
            ++serial;
            std::string file = std::to_string(i) + ".eml";
            std::string n = std::to_string(serial);
            Walked walked = {folder.first, file, {}};
            std::string source;
            if (serial % 3 == 0) {
                source = "Subject: plain\r\n\r\nno attachment\r\n";
            } else if (serial % 3 == 1) {
                source = TwoAttachments(n, n + "a.pdf", n + "b.txt");
                walked.names = {n + "a.pdf", n + "b.txt"};
            } else {
                source = OneHeaderLine(Disposition(n + ".txt"), n);
                walked.names = {n + ".txt"};
            }
            WriteMessage(store, folder.first, file, source);
            byId[folder.first + file] = walked;
        }
    }
    OpenStore();

    // The whole walk first: the order in which the messages are handed out.
    Search(true);
    Strings folders = DevhostSetCurrentFolderLog();
    folders.pop_back();
    std::vector<const Walked*> order;
    for (const std::string& folder : folders) {
        for (const auto& entry : byId) {
            if (entry.second.folder == folder) order.push_back(&entry.second);
        }
    }
    ASSERT_EQ(order.size(), 22u);  // the hashed folder's two are never walked
    ASSERT_EQ(DevhostGetCounters().sourcesHandedOut, 22);

    for (int k = 1; k <= 20; ++k) {
        SCOPED_TRACE(k);
        DevhostReset();
        DevhostSetCurrentFolder("Inbox\\");
        DevhostAbortAfter(k);
        Search(true);
        Strings expectedNames;
        Strings expectedFolders;
        for (int i = 0; i < k; ++i) {
            for (const std::string& name : order[i]->names) expectedNames.push_back(name);
            if (expectedFolders.empty() || expectedFolders.back() != order[i]->folder)
                expectedFolders.push_back(order[i]->folder);
        }
        // Empty folders before the k-th message's folder are made current too.
        Strings scanned = DevhostSetCurrentFolderLog();
        ASSERT_FALSE(scanned.empty());
        EXPECT_EQ(scanned.back(), "Inbox\\");
        scanned.pop_back();
        scanned.erase(std::remove(scanned.begin(), scanned.end(), "Inbox\\C\\"), scanned.end());
        EXPECT_EQ(scanned, expectedFolders);
        EXPECT_EQ(FileNames(), expectedNames);
        EXPECT_EQ(Column(0), expectedNames);
        EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, k);
        EXPECT_EQ(DevhostGetCounters().abortsPosted, 1);
        EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
        EXPECT_EQ(g_searchState->idle, 1);
        EXPECT_TRUE(IsWindowEnabled(g_searchWindow));
        ExpectHostTextsBalanced();
        ExpectNodesAccountedFor(nodeBaseline);
    }
}

}  // namespace
