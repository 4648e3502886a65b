// The plug-in as the host meets it: the built Quenfold.dll's exports and
// ordinals, its refusal to load into a host without the host functions, the
// menu item, the information record and the about box.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "devhost/devhost_control.h"
#include "host/plugin_entry.h"
#include "host/plugin_globals.h"
#include "tests/win/ui_window_support.h"

namespace {

const char* const kExports[16] = {
    "BKC_OnStart",       "BKC_OnExit",        "BKC_OnMenuInit",    "BKC_OnOpenFolder",
    "BKC_OnOpenMail",    "BKC_OnEveryMinute", "BKC_OnOpenCompose", "BKC_OnOutgoing",
    "BKC_OnKeyDispatch", "BKC_OnRetrieve",    "BKC_OnSend",        "BKC_OnFinishRetrieve",
    "BKC_OnPlugInSetup", "BKC_OnPlugInInfo",  "BKC_OnDragDrop",    "BKC_OnBeforeFilter2"};

// A host menu bar with six sub-menus of two items each.
HMENU MakeHostMenu() {
    HMENU bar = CreateMenu();
    for (int i = 0; i < 6; ++i) {
        HMENU sub = CreatePopupMenu();
        AppendMenuA(sub, MF_STRING, 100 + 2 * i, "one");
        AppendMenuA(sub, MF_STRING, 101 + 2 * i, "two");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "menu");
    }
    return bar;
}

std::string ItemText(HMENU menu, int position) {
    char text[64] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

class EntryPointsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareUiHost();
        DevhostReset();
    }
};

TEST_F(EntryPointsTest, DllExportsSixteenCallbacksByNameAndOrdinal) {
    HMODULE plugin = LoadLibraryA((ProgramFolder() + "Quenfold.dll").c_str());
    ASSERT_NE(plugin, nullptr) << GetLastError();
    for (int ordinal = 1; ordinal <= 16; ++ordinal) {
        FARPROC byOrdinal = GetProcAddress(plugin, MAKEINTRESOURCEA(ordinal));
        ASSERT_NE(byOrdinal, nullptr) << ordinal;
        EXPECT_EQ(byOrdinal, GetProcAddress(plugin, kExports[ordinal - 1])) << ordinal;
    }

    // The loaded plug-in bound this program's host functions: its menu command
    // registers with the stand-in host and a nothing-callback answers 0.
    typedef int(WINAPI * MenuInit)(HWND, HMENU, int);
    typedef int(WINAPI * NoArguments)();
    MenuInit menuInit = reinterpret_cast<MenuInit>(
        reinterpret_cast<void*>(GetProcAddress(plugin, MAKEINTRESOURCEA(3))));
    HMENU menu = MakeHostMenu();
    EXPECT_EQ(menuInit(nullptr, menu, 0), 0);
    EXPECT_EQ(DevhostCommandIds().size(), 1u);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 4)), 3);
    EXPECT_EQ(reinterpret_cast<NoArguments>(
                  reinterpret_cast<void*>(GetProcAddress(plugin, "BKC_OnStart")))(),
              0);
    DestroyMenu(menu);
    FreeLibrary(plugin);
}

TEST_F(EntryPointsTest, HostsWithoutTheHostFunctionsAreRefused) {
    for (const char* host : {"devhost_noexports.exe", "devhost_noconnect.exe"}) {
        std::string command = ProgramFolder() + host;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(command.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                   ProgramFolder().c_str(), &startup, &process))
            << host;
        WaitForSingleObject(process.hProcess, 30000);
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 1u) << host << " loaded the plug-in";
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

// Runs a host beside the plug-in with one argument; its exit code.
DWORD RunHost(const char* host, const std::string& argument) {
    std::string command = ProgramFolder() + host;
    std::string line = std::string(host) + " \"" + argument + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(command.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        ProgramFolder().c_str(), &startup, &process)) {
        return ~0u;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

// Without BKA_SetStatus the host's version text decides, as the plug-in reads
// it through the host's own exports: up to 7 bytes sorting before "2.00.06".
TEST_F(EntryPointsTest, HostsWithoutSetStatusAreDecidedByTheirVersion) {
    const struct {
        const char* version;
        DWORD exitCode;  // 0 loaded, 1 refused
    } cases[] = {{"2.00.05", 0}, {"1.99.99", 0},  {"", 0},
                 {"2.00.06", 1}, {"2.00.050", 1}, {"2.01", 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(RunHost("devhost_nostatus.exe", c.version), c.exitCode) << c.version;
    }
}

TEST_F(EntryPointsTest, MenuItemOnlyForMenuTypeZeroOncePerCall) {
    HMENU menu = MakeHostMenu();
    AddSearchMenuItem(menu, 1);
    EXPECT_TRUE(DevhostCommandIds().empty());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, i)), 2);

    AddSearchMenuItem(menu, 0);
    AddSearchMenuItem(menu, 0);
    std::vector<int> ids = DevhostCommandIds();
    ASSERT_EQ(ids.size(), 2u);
    HMENU sub = GetSubMenu(menu, 4);
    ASSERT_EQ(GetMenuItemCount(sub), 4);
    EXPECT_EQ(ItemText(sub, 2), "Quenfold(&A)");
    EXPECT_EQ(GetMenuItemID(sub, 2), static_cast<UINT>(ids[0]));
    EXPECT_EQ(GetMenuItemID(sub, 3), static_cast<UINT>(ids[1]));
    for (int i = 0; i < 6; ++i) {
        if (i != 4) {
            EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, i)), 2);
        }
    }

    // The registered command opens the search window like the host's menu would.
    ASSERT_NE(DevhostRunCommand(ids[0], nullptr), 0);
    EXPECT_NE(g_searchState, nullptr);
    CloseSearchWindowIfOpen();

    HMENU shortMenu = CreateMenu();  // no sub-menu at position 4: nothing to append to
    AddSearchMenuItem(shortMenu, 0);
    EXPECT_EQ(GetMenuItemCount(shortMenu), 0);
    DestroyMenu(shortMenu);
    DestroyMenu(menu);
}

TEST_F(EntryPointsTest, InformationRecordHoldsFourTextsAtFixedOffsets) {
    char record[320];
    memset(record, '#', sizeof record);
    FillPlugInInfo(record);
    EXPECT_STREQ(record, "Quenfold\x83\x76\x83\x89\x83\x4f\x83\x43\x83\x93");  // "...プラグイン"
    EXPECT_STREQ(record + 80, "Quenfold Project");
    EXPECT_STREQ(record + 160, "1.1");
    // "添付ファイルを検索します"
    EXPECT_STREQ(record + 240,
                 "\x93\x59\x95\x74\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x8c\x9f\x8d\xf5"
                 "\x82\xb5\x82\xdc\x82\xb7");
    EXPECT_EQ(record[100], '#');  // nothing written past each text's NUL
}

// Reads the about box and dismisses it as a person would.
std::string g_aboutCaption, g_aboutText;
LRESULT CALLBACK ReadAndDismissAboutBox(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char text[256] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA(box, text, sizeof text) &&
        strcmp(text, "#32770") == 0) {
        GetWindowTextA(box, text, sizeof text);
        g_aboutCaption = text;
        // The message text's id differs between system versions.
        if (!GetDlgItemTextA(box, 0xFFFF, text, sizeof text)) {
            GetDlgItemTextA(box, 100, text, sizeof text);
        }
        g_aboutText = text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(EntryPointsTest, AboutBoxShowsNameVersionAndAuthorLine) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, ReadAndDismissAboutBox, nullptr, GetCurrentThreadId());
    ShowAboutBox(nullptr);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_aboutCaption, "Quenfold\x83\x76\x83\x89\x83\x4f\x83\x43\x83\x93");
    EXPECT_EQ(g_aboutText,
              "Quenfold\x83\x76\x83\x89\x83\x4f\x83\x43\x83\x93 version 1.1\n"
              "Copyright (C) 2026 Quenfold Project");
}

// A callback of the loaded plug-in, typed by its arguments.
template <typename Function>
Function Callback(HMODULE plugin, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(plugin, name)));
}

// Every callback answers the host what it expects, through the DLL's exports:
// 1 for the about box, 0 for all the others.
TEST_F(EntryPointsTest, CallbacksAnswerTheirValues) {
    HMODULE plugin = LoadLibraryA((ProgramFolder() + "Quenfold.dll").c_str());
    ASSERT_NE(plugin, nullptr) << GetLastError();
    for (int ordinal = 1; ordinal <= 16; ++ordinal) {
        ASSERT_NE(GetProcAddress(plugin, kExports[ordinal - 1]), nullptr) << ordinal;
    }
    typedef int(WINAPI * Call0)();
    typedef int(WINAPI * Call1)(intptr_t);
    typedef int(WINAPI * Call2)(intptr_t, intptr_t);
    typedef int(WINAPI * Call3)(intptr_t, intptr_t, intptr_t);
    typedef int(WINAPI * Call4)(intptr_t, intptr_t, intptr_t, intptr_t);
    for (const char* name : {"BKC_OnStart", "BKC_OnExit", "BKC_OnEveryMinute"}) {
        EXPECT_EQ(Callback<Call0>(plugin, name)(), 0) << name;
    }
    for (const char* name :
         {"BKC_OnOpenFolder", "BKC_OnOpenMail", "BKC_OnSend", "BKC_OnFinishRetrieve"}) {
        EXPECT_EQ(Callback<Call1>(plugin, name)(0), 0) << name;
    }
    for (const char* name : {"BKC_OnOpenCompose", "BKC_OnOutgoing", "BKC_OnRetrieve"}) {
        EXPECT_EQ(Callback<Call2>(plugin, name)(0, 0), 0) << name;
    }
    EXPECT_EQ(Callback<Call3>(plugin, "BKC_OnKeyDispatch")(0, 0, 0), 0);
    for (const char* name : {"BKC_OnDragDrop", "BKC_OnBeforeFilter2"}) {
        EXPECT_EQ(Callback<Call4>(plugin, name)(0, 0, 0, 0), 0) << name;
    }
    char record[320] = "";
    EXPECT_EQ(Callback<Call1>(plugin, "BKC_OnPlugInInfo")(reinterpret_cast<intptr_t>(record)), 0);
    EXPECT_STREQ(record + 160, "1.1");
    HHOOK hook = SetWindowsHookExA(WH_CBT, ReadAndDismissAboutBox, nullptr, GetCurrentThreadId());
    EXPECT_EQ(Callback<Call1>(plugin, "BKC_OnPlugInSetup")(0), 1);
    UnhookWindowsHookEx(hook);
    FreeLibrary(plugin);
}

}  // namespace
