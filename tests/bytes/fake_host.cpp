#include "tests/bytes/fake_host.h"

#include <cstring>

#include "host/host_api.h"
#include "search/quick_search.h"
#include "search/scanner.h"

static FakeHost g_fake;
static std::map<void*, std::string> g_handedOut;  // text -> what it was

static char* QF_WINAPI FakeGetHeader(const char* id) {
    g_fake.calls.push_back(std::string("GetHeader ") + (id ? id : "(null)"));
    auto it = g_fake.headers.find(id ? id : "");
    if (it == g_fake.headers.end()) return nullptr;
    char* copy = new char[it->second.size() + 1];
    std::memcpy(copy, it->second.c_str(), it->second.size() + 1);
    ++g_fake.outstanding;
    g_handedOut[copy] = std::string("header ") + it->first;
    return copy;
}

static void QF_WINAPI FakeFree(void* text) {
    auto it = g_handedOut.find(text);
    g_fake.calls.push_back("Free " +
                           (it == g_handedOut.end() ? std::string("unknown") : it->second));
    if (it == g_handedOut.end()) return;  // never handed out, or freed twice
    g_handedOut.erase(it);
    --g_fake.outstanding;
    delete[] static_cast<char*>(text);
}

static char* QF_WINAPI FakeMIMEHeader(const char* text, char* buffer, int size, intptr_t) {
    g_fake.mimeInputs.push_back(text);
    g_fake.calls.push_back(std::string("MIMEHeader ") + text);
    if (g_fake.mimeReturnsNull) return nullptr;
    if (g_fake.mimeFillsBuffer) {
        std::memset(buffer, 'x', size);
        return buffer;
    }
    std::string converted = std::string("conv:") + text;
    std::strncpy(buffer, converted.c_str(), size - 1);
    buffer[size - 1] = '\0';
    return buffer;
}

FakeHost& InstallFakeHost() {
    g_fake = FakeHost();
    g_handedOut.clear();
    g_hostApi = HostApi();
    g_hostApi.BKA_GetHeader = FakeGetHeader;
    g_hostApi.BKA_Free = FakeFree;
    g_hostApi.BKA_MIMEHeader = FakeMIMEHeader;
    return g_fake;
}

void AddResultRow(AttachmentRecord* record, SearchWindowState*) {
    g_fake.calls.push_back("AddResultRow");
    g_fake.rows.push_back(record);
}

bool DrainDuringScan(SearchWindowState*) {
    return ++g_fake.drainChecks != g_fake.stopAtDrainCheck;
}

SearchWindowState* NewTestState() {
    SearchWindowState* state = new SearchWindowState();
    state->sortColumn = -1;
    state->idle = 1;
    BuildFixedShiftTables();
    return state;
}

void DeleteTestState(SearchWindowState* state) {
    ClearResults(state);
    ReleaseRefString(&state->dataFolder);
    delete state;
}

void ScanText(SearchWindowState* state, const std::string& source, const char* id) {
    std::vector<char> buffer(source.begin(), source.end());
    buffer.push_back('\0');
    RefString folder = MakeRefString("Inbox");
    RefString messageId = MakeRefString(id);
    ScanMessageSource(buffer.data(), state, &folder, &messageId);
    ReleaseRefString(&messageId);
    ReleaseRefString(&folder);
}

std::string Field(const RefString& s) {
    return s.node ? s.node->text : "<absent>";
}
