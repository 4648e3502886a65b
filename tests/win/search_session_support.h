// The fixture of the tests that search mail stores on disk through a real
// search window: the store, the host's current folder, the window from the
// menu, the search button and the records it found. What a test leaves open
// is closed and its store removed.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "host/plugin_globals.h"
#include "search/attachment_record.h"
#include "search/search_state.h"
#include "tests/win/mail_store_support.h"
#include "tests/win/ui_window_support.h"
#include "ui/resource.h"

using Strings = std::vector<std::string>;

inline std::string TextOrAbsent(const RefString& handle) {
    return handle.node ? handle.node->text : "<absent>";
}

struct SearchSession : ::testing::Test {
    std::string store;

    void SetUp() override {
        PrepareUiHost();
        DevhostReset();
    }

    void TearDown() override {
        CloseSearchWindowIfOpen();
        if (!store.empty()) RemoveTempMailStore(store);
    }

    void Open(const std::vector<StoreMessage>& messages, const char* current = "Inbox\\") {
        store = MakeMailStore(messages);
        OpenStore(current);
    }

    // The window over the store already made, with the given current folder.
    void OpenStore(const char* current = "Inbox\\") {
        DevhostSetDataFolder(store);
        DevhostSetCurrentFolder(current);
        ASSERT_NE(OpenFromMenu(), nullptr);
    }

    void Search(bool subfolders) {
        CheckDlgButton(g_searchWindow, IDC_SEARCH_SUBFOLDERS,
                       subfolders ? BST_CHECKED : BST_UNCHECKED);
        ClickButton(g_searchWindow, IDC_SEARCH);
    }

    static Strings Field(RefString AttachmentRecord::*field) {
        Strings texts;
        for (AttachmentRecord* r : g_searchState->results) texts.push_back(TextOrAbsent(r->*field));
        return texts;
    }
    static Strings FileNames() { return Field(&AttachmentRecord::fileName); }
};
