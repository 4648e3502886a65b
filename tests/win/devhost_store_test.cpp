// The stand-in host's mail store, reached through its exports by name, as
// the plug-in reaches it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "host/host_api.h"
#include "tests/win/mail_store_support.h"

namespace {

template <typename Fn>
Fn HostFunction(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), name)));
}

struct Host {
    BkaGetDataFolderFn getDataFolder = HostFunction<BkaGetDataFolderFn>("BKA_GetDataFolder");
    BkaGetCurrentFolderFn getCurrentFolder =
        HostFunction<BkaGetCurrentFolderFn>("BKA_GetCurrentFolder");
    BkaSetCurrentFolderFn setCurrentFolder =
        HostFunction<BkaSetCurrentFolderFn>("BKA_SetCurrentFolder");
    BkaGetFolderDisplayNameFn displayName =
        HostFunction<BkaGetFolderDisplayNameFn>("BKA_GetFolderDisplayName");
    BkaGetNextMailFn getNextMail = HostFunction<BkaGetNextMailFn>("BKA_GetNextMail");
    BkaGetSourceFn getSource = HostFunction<BkaGetSourceFn>("BKA_GetSource");
    BkaGetHeaderFn getHeader = HostFunction<BkaGetHeaderFn>("BKA_GetHeader");
    BkaFreeFn free = HostFunction<BkaFreeFn>("BKA_Free");
    BkaSetCurrentMailFn setCurrentMail = HostFunction<BkaSetCurrentMailFn>("BKA_SetCurrentMail");
};

HWND g_commandWindow;

int QF_WINAPI RecordingCommand(HWND window, intptr_t) {
    g_commandWindow = window;
    return 7;
}

class DevhostStore : public ::testing::Test {
  protected:
    void SetUp() override {
        store = MakeTempMailStore();
        DevhostSetDataFolder(store);
        DevhostReset();
    }
    void TearDown() override { RemoveTempMailStore(store); }

    std::vector<std::string> MessageIds(const std::string& folderId) {
        host.setCurrentFolder(folderId.c_str());
        std::vector<std::string> ids;
        char id[256];
        for (int position = host.getNextMail(-1, id, 256, 0); position != -1;
             position = host.getNextMail(position, id, 256, 0)) {
            ids.push_back(id);
        }
        return ids;
    }

    std::string Source(const std::string& id) {
        char* text = host.getSource(id.c_str());
        std::string copy = text ? text : "(null)";
        host.free(text);
        return copy;
    }

    std::string Header(const std::string& id) {
        char* text = host.getHeader(id.c_str());
        std::string copy = text ? text : "(null)";
        host.free(text);
        return copy;
    }

    Host host;
    std::string store;
};

TEST_F(DevhostStore, AllHostFunctionsAreExportedUndecorated) {
#define QF_EXPECT_EXPORT(number, name, type, order, optional) \
    EXPECT_NE(HostFunction<void*>(#name), nullptr) << #name;
    QF_HOST_API_FIELDS(QF_EXPECT_EXPORT)
#undef QF_EXPECT_EXPORT
}

TEST_F(DevhostStore, FoldersAndMessageIds) {
    WriteMessage(store, "Inbox\\", "b.eml", "x");
    WriteMessage(store, "Inbox\\", "a.eml", "x");
    WriteMessage(store, "Inbox\\", "C.eml", "x");  // names differ beyond case: Wine folds it
    WriteMessage(store, "Inbox\\", "notes.txt", "x");
    WriteMessage(store, "Inbox\\", "old.eml.bak", "x");
    WriteMessage(store, "Inbox\\", "a.EML", "x");
    MakeFolder(store, "Inbox\\dir.eml\\");
    WriteMessage(store, "Inbox\\Projects\\", "1.eml", "x");

    EXPECT_EQ(std::string(host.getDataFolder()), store);
    EXPECT_EQ(store.back(), '\\');
    // Byte order: upper case before lower case; only regular *.eml files.
    EXPECT_EQ(MessageIds("Inbox\\"),
              (std::vector<std::string>{"Inbox\\C.eml", "Inbox\\a.eml", "Inbox\\b.eml"}));
    EXPECT_EQ(MessageIds("Inbox\\Projects\\"), std::vector<std::string>{"Inbox\\Projects\\1.eml"});
    EXPECT_EQ(std::string(host.getCurrentFolder()), "Inbox\\Projects\\");
    EXPECT_TRUE(MessageIds("Missing\\").empty());
    EXPECT_TRUE(MessageIds("Inbox\\dir.eml\\").empty());

    EXPECT_EQ(std::string(host.displayName("Inbox\\Projects\\")), "Projects");
    EXPECT_EQ(std::string(host.displayName("Inbox\\")), "Inbox");
    // "表" is 0x95 0x5C in Shift-JIS: its trail byte is no separator.
    EXPECT_EQ(std::string(host.displayName("Inbox\\\x95\\\\")), "\x95\\");

    EXPECT_EQ(DevhostSetCurrentFolderLog(),
              (std::vector<std::string>{"Inbox\\", "Inbox\\Projects\\", "Missing\\",
                                        "Inbox\\dir.eml\\"}));
}

TEST_F(DevhostStore, SetCurrentFolderAcceptsItsOwnCurrentText) {
    DevhostSetCurrentFolder("Inbox\\");
    host.setCurrentFolder(host.getCurrentFolder());
    EXPECT_EQ(std::string(host.getCurrentFolder()), "Inbox\\");
}

TEST_F(DevhostStore, IdBufferIsNeverOverrun) {
    WriteMessage(store, "Inbox\\", "abcdefgh.eml", "x");
    host.setCurrentFolder("Inbox\\");
    char id[12];
    memset(id, '#', sizeof id);
    EXPECT_EQ(host.getNextMail(-1, id, 8, 0), 0);
    EXPECT_EQ(std::string(id), "Inbox\\a");
    EXPECT_EQ(id[8], '#');
    EXPECT_EQ(host.getNextMail(0, id, 8, 0), -1);
}

TEST_F(DevhostStore, SourceLineEndsNulAndHeaderBlock) {
    WriteMessage(store, "Inbox\\", "lf.eml", "A: 1\nB: 2\r\n\nbody\rline\n");
    WriteMessage(store, "Inbox\\", "zero.eml", std::string("A: 1\r\n\r\nbo\0dy\n", 15));
    WriteMessage(store, "Inbox\\", "nobody.eml", "A: 1\r\nB: 2");
    WriteMessage(store, "Inbox\\", "empty.eml", "");
    WriteMessage(store, "Inbox\\", "blankfirst.eml", "\r\nbody\r\n");

    EXPECT_EQ(Source("Inbox\\lf.eml"), "A: 1\r\nB: 2\r\n\r\nbody\rline\r\n");
    EXPECT_EQ(Header("Inbox\\lf.eml"), "A: 1\r\nB: 2\r\n");
    EXPECT_EQ(Source("Inbox\\zero.eml"), "A: 1\r\n\r\nbo");
    EXPECT_EQ(Header("Inbox\\zero.eml"), "A: 1\r\n");
    EXPECT_EQ(Header("Inbox\\nobody.eml"), "A: 1\r\nB: 2");
    EXPECT_EQ(Source("Inbox\\empty.eml"), "");
    EXPECT_EQ(Header("Inbox\\empty.eml"), "");
    EXPECT_EQ(Header("Inbox\\blankfirst.eml"), "");
    // A message that is gone still gets a text, never null.
    EXPECT_EQ(Source("Inbox\\gone.eml"), "");

    // Writable copies: the plug-in cuts values out with NUL bytes.
    char* source = host.getSource("Inbox\\lf.eml");
    source[0] = '\0';
    host.free(source);
    EXPECT_EQ(Source("Inbox\\lf.eml").substr(0, 4), "A: 1");
}

TEST_F(DevhostStore, CountsTextsOutAndBackAndCatchesBadFrees) {
    WriteMessage(store, "Inbox\\", "1.eml", "A: 1\r\n\r\nbody");
    char* source = host.getSource("Inbox\\1.eml");
    char* header = host.getHeader("Inbox\\1.eml");
    char* second = host.getSource("Inbox\\1.eml");
    EXPECT_EQ(DevhostOutstandingTexts(), 3);
    host.free(source);
    host.free(header);
    DevhostCounters counters = DevhostGetCounters();
    EXPECT_EQ(counters.sourcesHandedOut, 2);
    EXPECT_EQ(counters.sourcesFreed, 1);
    EXPECT_EQ(counters.headersHandedOut, 1);
    EXPECT_EQ(counters.headersFreed, 1);
    EXPECT_EQ(DevhostOutstandingTexts(), 1);

    host.free(header);  // again
    char local[4] = "abc";
    host.free(local);
    host.free(nullptr);
    host.free(second);
    counters = DevhostGetCounters();
    EXPECT_EQ(counters.doubleFrees, 1);
    EXPECT_EQ(counters.unknownFrees, 2);
    EXPECT_EQ(counters.sourcesFreed, 2);
    EXPECT_EQ(DevhostOutstandingTexts(), 0);
}

TEST_F(DevhostStore, LogsShownMailsAndEveryUncalledFunction) {
    host.setCurrentMail("Inbox\\1.eml");
    host.setCurrentMail("Other\\2.eml");
    EXPECT_EQ(DevhostSetCurrentMailLog(),
              (std::vector<std::string>{"Inbox\\1.eml", "Other\\2.eml"}));
    EXPECT_TRUE(DevhostUncalledLog().empty());

    HostFunction<BkaUnusedFn>("BKA_Connect")();
    EXPECT_EQ(HostFunction<BkaUnusedFn>("BKA_SetStatus")(), 0);
    EXPECT_EQ(DevhostUncalledLog(), (std::vector<std::string>{"BKA_Connect", "BKA_SetStatus"}));

    DevhostReset();
    EXPECT_TRUE(DevhostUncalledLog().empty());
    EXPECT_TRUE(DevhostSetCurrentMailLog().empty());
}

TEST_F(DevhostStore, VersionAndCommands) {
    DevhostSetVersion("1.99");
    EXPECT_EQ(std::string(HostFunction<BkaGetVersionFn>("BKA_GetVersion")()), "1.99");

    auto registerCommand = HostFunction<BkaRegisterCommandFn>("BKA_RegisterCommand");
    int first = registerCommand("one", 0, RecordingCommand);
    int second = registerCommand("two", 0, RecordingCommand);
    EXPECT_EQ(first, 40000);
    EXPECT_EQ(second, 40001);
    EXPECT_EQ(DevhostCommandIds(), (std::vector<int>{40000, 40001}));
    HWND window = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(DevhostRunCommand(second, window), 7);
    EXPECT_EQ(g_commandWindow, window);
    EXPECT_EQ(DevhostRunCommand(39999, window), 0);
}

}  // namespace
