#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/host_api.h"

namespace {

// A host described by the names it lacks and the version it answers.
struct TestHost {
    std::set<std::string> missing;
    const char* version = "1.00";
    bool noModule = false;
    std::vector<std::string> lookups;
    int versionCalls = 0;
};
TestHost* g_host;

const char* QF_WINAPI Version() {
    ++g_host->versionCalls;
    return g_host->version;
}
intptr_t QF_WINAPI Other() {
    return 0;
}

void* Module() {
    return g_host->noModule ? nullptr : reinterpret_cast<void*>(0x400000);
}
BkaUnusedFn Proc(void*, const char* name) {
    g_host->lookups.push_back(name);
    if (g_host->missing.count(name)) return nullptr;
    if (std::strcmp(name, "BKA_GetVersion") == 0)
        return reinterpret_cast<BkaUnusedFn>(reinterpret_cast<void*>(Version));
    return Other;
}
int Length(const char* text) {
    return static_cast<int>(std::strlen(text));
}
int Compare(const char* a, const char* b) {
    return std::strcmp(a, b);
}
const HostLookup kLookup = {Module, Proc, Length, Compare};

struct HostTable : ::testing::Test {
    TestHost host;
    void SetUp() override {
        g_hostApi = HostApi();
        g_host = &host;
    }
    int Bind() { return BindHostApiWith(kLookup); }
};

const char* const kOptional[] = {"BKA_SetStatus", "BKA_NextUnread", "BKA_ProcessMail",
                                 "BKA_GetSize", "BKA_MoveMessages"};

TEST_F(HostTable, LooksUpRequiredInFieldOrderThenOptional) {
    ASSERT_EQ(Bind(), 1);
    ASSERT_EQ(host.lookups.size(), 59u);
    std::vector<std::string> required;
    for (const HostApiEntry& e : kHostApiEntries)
        if (!e.optional) required.push_back(e.name);
    EXPECT_EQ(required.size(), 54u);
    EXPECT_EQ(std::vector<std::string>(host.lookups.begin(), host.lookups.begin() + 54), required);
    EXPECT_EQ(std::vector<std::string>(host.lookups.begin() + 54, host.lookups.end()),
              std::vector<std::string>(std::begin(kOptional), std::end(kOptional)));
    EXPECT_EQ(host.lookups[19], "BKA_MoveSelectedMessages");
    EXPECT_NE(g_hostApi.hostModule, nullptr);
}

TEST_F(HostTable, MissingRequiredFunctionLeavesTheTableUnbound) {
    g_hostApi.BKA_NextUnread = Other;  // an earlier value in an optional field stays
    host.missing = {"BKA_Connect"};
    EXPECT_EQ(Bind(), 0);
    EXPECT_EQ(g_hostApi.hostModule, nullptr);
    EXPECT_EQ(g_hostApi.BKA_Connect, nullptr);
    EXPECT_NE(g_hostApi.BKA_SerializeRcpts, nullptr);
    EXPECT_EQ(g_hostApi.BKA_NextUnread, Other);
    EXPECT_EQ(host.lookups.size(), 54u);
    EXPECT_EQ(host.versionCalls, 0);

    // A later call looks everything up again.
    host.missing.clear();
    host.lookups.clear();
    EXPECT_EQ(Bind(), 1);
    EXPECT_EQ(host.lookups.size(), 59u);
    host.missing = {"BKA_GetVersion"};
    EXPECT_EQ(Bind(), 1);  // bound already: nothing is looked up or asked
    EXPECT_EQ(host.lookups.size(), 59u);
    EXPECT_EQ(host.versionCalls, 1);

    g_hostApi = HostApi();
    host.noModule = true;
    EXPECT_EQ(Bind(), 0);
}

TEST_F(HostTable, VersionGate) {
    struct {
        const char* version;
        bool withSetStatus;
        int expected;
    } cases[] = {
        {"1.99", false, 1},    {"", false, 1},       {"2.00.05", false, 1},
        {"2.00.06", false, 0}, {"2.00.06", true, 1}, {"2.00.050", false, 0},
        {"2.00.050", true, 1}, {"10.0", false, 1},   {"3", false, 0},
    };
    for (const auto& c : cases) {
        g_hostApi = HostApi();
        host.version = c.version;
        host.missing.clear();
        for (const char* name : kOptional)
            if (c.withSetStatus ? std::strcmp(name, "BKA_SetStatus") != 0 : true)
                host.missing.insert(name);
        EXPECT_EQ(Bind(), c.expected) << c.version << " " << c.withSetStatus;
        EXPECT_EQ(g_hostApi.hostModule != nullptr, c.expected == 1);
        if (c.expected) {
            EXPECT_EQ(g_hostApi.BKA_GetSize, nullptr);
        }
    }
}

}  // namespace
