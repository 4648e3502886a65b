// The stand-in host's fault switches, and a whole search session through
// its menu command with the plug-in's code linked in.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "host/host_api.h"
#include "host/plugin_entry.h"
#include "host/plugin_globals.h"
#include "tests/win/mail_store_support.h"
#include "tests/win/ui_window_support.h"
#include "ui/resource.h"

namespace {

class DevhostFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareUiHost();
        store = MakeTempMailStore();
        DevhostSetDataFolder(store);
        DevhostReset();
        DevhostSetCurrentFolder("Inbox\\");
        for (int i = 1; i <= 4; ++i) {
            std::string n = std::to_string(i);
            WriteMessage(store, "Inbox\\", n + ".eml",
                         MessageWithAttachments("subject " + n, {"file" + n + ".txt"}));
        }
        WriteMessage(store, "Inbox\\Sub\\", "5.eml", MessageWithAttachments("five", {"f5.txt"}));
    }
    void TearDown() override {
        CloseSearchWindowIfOpen();
        DevhostReset();
        RemoveTempMailStore(store);
    }

    // The host's menu with the plug-in's item in it, then that item chosen.
    HWND OpenThroughHostMenu() {
        HMENU bar = CreateMenu();
        for (int i = 0; i < 5; ++i) AppendMenuA(bar, MF_POPUP, (UINT_PTR)CreatePopupMenu(), "m");
        AddSearchMenuItem(bar, 0);
        std::vector<int> ids = DevhostCommandIds();
        EXPECT_EQ(ids.size(), 1u);
        EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 4), 0), static_cast<UINT>(ids.at(0)));
        DevhostRunCommand(ids.at(0), nullptr);
        DestroyMenu(bar);
        return g_searchWindow;
    }

    std::string store;
};

TEST_F(DevhostFaults, MissingSourceOrHeaderForOneMessage) {
    auto getSource = reinterpret_cast<BkaGetSourceFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "BKA_GetSource")));
    auto getHeader = reinterpret_cast<BkaGetHeaderFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "BKA_GetHeader")));
    DevhostFailSource("Inbox\\2.eml");
    DevhostFailHeader("Inbox\\3.eml");
    EXPECT_EQ(getSource("Inbox\\2.eml"), nullptr);
    EXPECT_EQ(getHeader("Inbox\\3.eml"), nullptr);
    char* source = getSource("Inbox\\3.eml");
    char* header = getHeader("Inbox\\2.eml");
    EXPECT_NE(source, nullptr);
    EXPECT_NE(header, nullptr);
    g_hostApi.BKA_Free(source);
    g_hostApi.BKA_Free(header);
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, 1);
    EXPECT_EQ(DevhostOutstandingTexts(), 0);
}

TEST_F(DevhostFaults, WholeSessionThroughTheMenuLeaksNothing) {
    HWND search = OpenThroughHostMenu();
    ASSERT_NE(search, nullptr);
    ClickButton(search, IDC_SEARCH);
    EXPECT_EQ(RowCount(), 5);
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, 5);
    EXPECT_EQ(DevhostOutstandingTexts(), 0);
    EXPECT_EQ(DevhostGetCounters().doubleFrees, 0);
    EXPECT_EQ(DevhostGetCounters().unknownFrees, 0);
    EXPECT_TRUE(DevhostUncalledLog().empty());
}

TEST_F(DevhostFaults, AbortAfterTheSecondMessageStopsTheSearch) {
    HWND search = OpenThroughHostMenu();
    ASSERT_NE(search, nullptr);
    DevhostAbortAfter(2);
    ClickButton(search, IDC_SEARCH);
    EXPECT_EQ(DevhostGetCounters().abortsPosted, 1);
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, 2);
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
    EXPECT_EQ(DevhostOutstandingTexts(), 0);
    EXPECT_TRUE(IsWindowEnabled(search));
}

TEST_F(DevhostFaults, AbortFindsNoProgressWindowOutsideASearch) {
    OpenThroughHostMenu();
    DevhostAbortAfter(1);
    char* source = g_hostApi.BKA_GetSource("Inbox\\1.eml");
    g_hostApi.BKA_Free(source);
    EXPECT_EQ(DevhostGetCounters().abortsPosted, 0);
}

}  // namespace
