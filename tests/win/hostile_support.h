// Shared by the hostile-input tests: the search session over a mail store on
// disk, and the checks that every case ends with: each text the host handed
// out freed exactly once, every string node accounted for while the window is
// open and gone after it closes, and the heaps intact.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// The shell's declarations need <windows.h> first.
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "host/plugin_globals.h"
#include "search/attachment_record.h"
#include "search/search_state.h"
#include "tests/win/mail_store_support.h"
#include "tests/win/search_session_support.h"
#include "tests/win/ui_window_support.h"
#include "ui/resource.h"
#include "ui/shell_type_name.h"

// How many handles of the open window hold each node: the records' fields,
// the data folder and the type names kept per extension.
inline std::map<RefStringNode*, int> HeldNodes(const SearchWindowState* state) {
    std::map<RefStringNode*, int> held;
    auto hold = [&](const RefString& handle) {
        if (handle.node) ++held[handle.node];
    };
    for (const AttachmentRecord* r : state->results) {
        for (const RefString* field : {&r->messageId, &r->fileName, &r->typeName, &r->subject,
                                       &r->sender, &r->date, &r->folderName})
            hold(*field);
    }
    hold(state->dataFolder);
    if (state->typeCache) {
        for (const auto& entry : state->typeCache->answers) hold(entry.second.typeName);
    }
    return held;
}

// Every node's count equals the handles that hold it, and no node lives
// outside the window's state (nodes alive before it opened aside).
inline void ExpectNodesAccountedFor(int32_t baseline) {
    if (!g_searchState) return;
    std::map<RefStringNode*, int> held = HeldNodes(g_searchState);
    int mismatched = 0;
    for (const auto& entry : held) mismatched += entry.first->refCount != entry.second;
    EXPECT_EQ(mismatched, 0);
    EXPECT_EQ(g_liveRefStringNodes - baseline, static_cast<int32_t>(held.size()));
}

inline bool AllHeapsValid() {
    HANDLE heaps[128];
    DWORD count = GetProcessHeaps(128, heaps);
    for (DWORD i = 0; i < count && i < 128; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    }
    return true;
}

// The host's bookkeeping since its last reset: every source and header block
// freed once, nothing freed that it never handed out.
inline void ExpectHostTextsBalanced() {
    DevhostCounters counters = DevhostGetCounters();
    EXPECT_EQ(counters.sourcesHandedOut, counters.sourcesFreed);
    EXPECT_EQ(counters.headersHandedOut, counters.headersFreed);
    EXPECT_EQ(counters.doubleFrees, 0);
    EXPECT_EQ(counters.unknownFrees, 0);
    EXPECT_EQ(DevhostOutstandingTexts(), 0);
}

struct HostileSession : SearchSession {
    int32_t nodeBaseline = 0;

    void SetUp() override {
        SearchSession::SetUp();
        DevhostSetMimeFault(kMimeNormal);
        nodeBaseline = g_liveRefStringNodes;
    }

    void TearDown() override {
        ExpectNodesAccountedFor(nodeBaseline);
        SearchSession::TearDown();
        EXPECT_EQ(g_liveRefStringNodes, nodeBaseline);
        ExpectHostTextsBalanced();
        EXPECT_TRUE(DevhostUncalledLog().empty());
        EXPECT_TRUE(AllHeapsValid());
        DevhostSetMimeFault(kMimeNormal);
    }
};

// The shell's type name and icon for a name, asked by name only.
inline std::string ShellTypeName(const std::string& name, int* iconIndex = nullptr) {
    SHFILEINFOA info = {};
    SHGetFileInfoA(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    if (iconIndex) *iconIndex = info.iIcon;
    return info.szTypeName;
}

// A message whose one header block carries the given Content- line.
inline std::string OneHeaderLine(const std::string& line, const std::string& subject = "s") {
    return "Subject: " + subject + "\r\n" + line + "\r\n\r\nbody\r\n";
}
