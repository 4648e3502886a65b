// The host's quit, played by devhost itself: BKC_OnExit, the plug-in
// unloaded, the main window destroyed, the queue emptied and every window
// left poked. A window whose procedure went with the plug-in ends the host
// at its next message, so the quit must leave none, and a host that has quit
// has no functions or windows left to call: whether the search has ended or
// runs inside one huge message when the quit comes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "devhost/common_controls.h"
#include "tests/win/mail_store_support.h"
#include "tests/win/ui_window_support.h"

namespace {

struct HostRun {
    DWORD exitCode;
    std::string out;
    std::string err;
};

HANDLE CreateOutputFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file's text without its carriage returns; the file is deleted.
std::string TakeFileText(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            for (DWORD i = 0; i < read; ++i)
                if (buffer[i] != '\r') text += buffer[i];
        }
        CloseHandle(file);
    }
    DeleteFileA(path.c_str());
    return text;
}

// devhost.exe beside this program, over the store, under the common controls
// this program runs with. Files rather than pipes: a crash's debugger may
// hold inherited handles open.
HostRun RunDevhost(const std::string& store, const char* quitMode) {
    std::string folder = ProgramFolder();
    std::string outPath = store + "devhost.out";
    std::string errPath = store + "devhost.err";
    HANDLE out = CreateOutputFile(outPath);
    HANDLE err = CreateOutputFile(errPath);
    // Without the store's last backslash, which would escape the quote.
    std::string data = store.substr(0, store.size() - 1);
    std::string command = "\"" + folder + "devhost.exe\" --data \"" + data + "\" --quit-host " +
                          quitMode + " --comctl " + std::to_string(CommonControlsWanted(5));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    HostRun run = {~0u, "", ""};
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        if (WaitForSingleObject(process.hProcess, 120000) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 1);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = TakeFileText(outPath);
    run.err = TakeFileText(errPath);
    return run;
}

TEST(HostQuit, AfterTheSearchWithTheWindowOpen) {
    std::string store =
        MakeMailStore({{"Inbox\\", "1.eml", MessageWithAttachments("one", {"a.pdf", "b.txt"})},
                       {"Inbox\\Sub\\", "1.eml", MessageWithAttachments("two", {"c.doc"})}});
    HostRun run = RunDevhost(store, "open");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, "host quit (open): plug-in windows left: 0, host calls after exit: 0\n")
        << run.err;
    RemoveTempMailStore(store);
}

// Four hundred thousand attachments in one message, seconds of scanning even
// where rows cost little: the host's quit timer fires in the drain within it,
// with the message's source still out.
TEST(HostQuit, WhileSearchingInsideOneHugeMessage) {
    std::string blocks;
    for (int k = 0; k < 400000; ++k)
        blocks += "Content-Type: a/b; name=" + std::to_string(k) + ".txt\r\n\r\n";
    std::string store = MakeMailStore({{"Inbox\\", "1.eml", blocks}});
    HostRun run = RunDevhost(store, "searching");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, "host quit (searching): plug-in windows left: 0, host calls after exit: 0\n")
        << run.err;
    EXPECT_EQ(run.err.find("between two messages"), std::string::npos) << run.err;
    RemoveTempMailStore(store);
}

// The about box runs its modal loop inside the plug-in, and the host's quit
// timer fires there: the box must go, and the library must outlast the loop.
TEST(HostQuit, WhileTheAboutBoxIsUp) {
    std::string store =
        MakeMailStore({{"Inbox\\", "1.eml", MessageWithAttachments("one", {"a.pdf"})}});
    HostRun run = RunDevhost(store, "about");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, "host quit (about): plug-in windows left: 0, host calls after exit: 0\n")
        << run.err;
    RemoveTempMailStore(store);
}

}  // namespace
