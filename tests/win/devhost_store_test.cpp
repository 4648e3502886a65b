// The stand-in host's mail store, reached through its exports by name, as
// the plug-in reaches it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "devhost/mail_store.h"
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

// A store that a crashed program left under the name the next one would
// take (Wine reuses process ids) is passed over: the next store is empty.
TEST_F(DevhostStore, ANewStoreNeverTakesOverALeftOne) {
    std::string name = store.substr(0, store.size() - 1);  // ..._PID_N
    size_t counter = name.rfind('_') + 1;
    std::string left =
        name.substr(0, counter) + std::to_string(std::stoi(name.substr(counter)) + 1) + "\\";
    ASSERT_TRUE(CreateDirectoryA(left.c_str(), nullptr));
    WriteMessage(left, "Inbox\\", "left.eml", "x");
    std::string fresh = MakeTempMailStore();
    EXPECT_NE(fresh, left);
    DevhostSetDataFolder(fresh);
    EXPECT_TRUE(MessageIds("Inbox\\").empty());
    RemoveTempMailStore(fresh);
    RemoveTempMailStore(left);
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

// The texts as a plain reading of the file gives them: its bytes up to the
// first NUL, every LF without CR before it made CR LF; the header block up to
// the line end before the first empty line.
std::string PlainSource(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += '\r';
        text += bytes[i];
    }
    return text;
}

std::string PlainHeader(const std::string& bytes) {
    std::string text = PlainSource(bytes);
    if (text.compare(0, 2, "\r\n") == 0) return "";
    size_t blank = text.find("\r\n\r\n");
    return blank == std::string::npos ? text : text.substr(0, blank + 2);
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    char chunk[65536];
    for (size_t got; file && (got = fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, got);
    if (file) fclose(file);
    return bytes;
}

// A path as the build or the shell spells it, for the Windows API: a Unix
// path's root is Wine's drive Z:.
std::string WindowsPath(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path[0] == '\\' ? "Z:" + path : path;
}

// Every message of a data folder, as the host lists them.
std::vector<std::string> MessageIdsBelow(const std::string& dataFolder) {
    std::vector<std::string> ids;
    for (const std::string& folderId : ListFolderIds(dataFolder)) {
        for (const std::string& name : ListMessageFiles(dataFolder + folderId))
            ids.push_back(folderId + name);
    }
    return ids;
}

// Header blocks are read in pieces (of 4 KB, then doubled), so blocks whose
// end falls on every side of the first two piece boundaries are among the
// crafted files; so are the sample store and, when QUENFOLD_CHECK_STORE names
// one, any other data folder.
TEST_F(DevhostStore, TextsAreThePlainReadingOfTheFile) {
    std::vector<std::string> files = {
        // Bare LFs, mixed with CR LF, in the empty line too; lone CRs.
        "A: 1\nB: 2\n\nbody\n", "A: 1\r\nB: 2\n\r\nbody\nend\r\n", "A: 1\n\r\nbody",
        "A: 1\r\n\nbody", "A: 1\rB: 2\r\n\rbody\r\n\r\n", "A: 1\r\r\n\r\n",
        // A NUL in the header block, in the body, first.
        std::string("A: 1\r\nB:\0 2\r\n\r\nbody", 19), std::string("A: 1\r\n\r\nbo\0dy\n", 14),
        std::string("\0A: 1\r\n\r\n", 9),
        // No empty line; an empty first line; next to nothing.
        "A: 1\r\nB: 2", "A: 1\r\n \r\nB: 2\r\n\r\nbody", "\r\nbody\r\n", "\nbody\n", "\n", "\r\n",
        "\n\n", "", "\r", "A: 1\r", "A: 1\r\n\r", "A: 1\n\r"};
    for (size_t boundary : {4096u, 8192u}) {
        for (size_t at = boundary - 5; at <= boundary + 2; ++at) {
            for (const char* end : {"\r\n\r\n", "\n\n", "\r\n\n", "\n\r\n", "\r\n\r"}) {
                std::string header = "X: " + std::string(at - 3, 'a');
                files.push_back(header + end + "body\r\n");
                files.push_back("Y: 1\n" + header.substr(5) + end + "body\n");
            }
        }
    }
    files.push_back("Z: " + std::string(100000, 'z') + "\r\n\r\nbody");  // several pieces
    for (size_t i = 0; i < files.size(); ++i)
        WriteMessage(store, "Inbox\\", std::to_string(i) + ".eml", files[i]);
    std::vector<std::string> stores = {store, WindowsPath(QF_SAMPLE_STORE)};
    if (const char* other = getenv("QUENFOLD_CHECK_STORE")) stores.push_back(WindowsPath(other));

    size_t checked = 0;
    for (const std::string& dataFolder : stores) {
        DevhostSetDataFolder(dataFolder);
        std::string root = host.getDataFolder();
        for (const std::string& id : MessageIdsBelow(root)) {
            // A header read from the file, a source, the header kept from it.
            std::string bytes = FileBytes(root + id);
            EXPECT_EQ(Header(id), PlainHeader(bytes)) << root << id;
            EXPECT_EQ(Source(id), PlainSource(bytes)) << root << id;
            EXPECT_EQ(Header(id), PlainHeader(bytes)) << root << id;
            ++checked;
        }
    }
    EXPECT_GE(checked, files.size() + 10);
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, static_cast<int>(checked));
    EXPECT_EQ(DevhostGetCounters().headersHandedOut, static_cast<int>(2 * checked));
    EXPECT_EQ(DevhostOutstandingTexts(), 0);
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
