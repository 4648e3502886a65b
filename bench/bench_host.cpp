#include "bench/bench_host.h"

#include <cstdlib>
#include <cstring>

#include "host/host_api.h"
#include "search/attachment_record.h"
#include "search/quick_search.h"
#include "search/scanner.h"

BenchHost g_benchHost;

uint32_t MessageIndexOf(const char* messageId) {
    return static_cast<uint32_t>(std::strtoul(messageId ? messageId : "0", nullptr, 10));
}

static char* QF_WINAPI BenchGetHeader(const char* messageId) {
    const StoredMessage& message = g_benchHost.store->messages[MessageIndexOf(messageId)];
    char* block = static_cast<char*>(std::malloc(message.headerLength + 1));
    std::memcpy(block, g_benchHost.arena + message.offset, message.headerLength);
    block[message.headerLength] = '\0';
    ++g_benchHost.headerFetches;
    g_benchHost.headerBytes += message.headerLength;
    return block;
}

static void QF_WINAPI BenchFree(void* text) {
    std::free(text);
}

// Stands in for the host's decoding: a bounded copy of the quoted name.
static char* QF_WINAPI BenchMIMEHeader(const char* text, char* buffer, int size, intptr_t) {
    std::strncpy(buffer, text, static_cast<size_t>(size) - 1);
    buffer[size - 1] = '\0';
    return buffer;
}

void InstallBenchHost(const StoreImage* store, const char* pristineArena) {
    g_benchHost = BenchHost();
    g_benchHost.store = store;
    g_benchHost.arena = pristineArena;
    g_hostApi = HostApi();
    g_hostApi.BKA_GetHeader = BenchGetHeader;
    g_hostApi.BKA_Free = BenchFree;
    g_hostApi.BKA_MIMEHeader = BenchMIMEHeader;
    BuildFixedShiftTables();
}

static std::string TextOrAbsent(const RefString& value) {
    return value.node ? std::string(value.node->text) : std::string("\x01");
}

BenchRow RowOf(uint32_t message, const AttachmentRecord* record) {
    return {message,
            TextOrAbsent(record->fileName),
            TextOrAbsent(record->subject),
            TextOrAbsent(record->sender),
            TextOrAbsent(record->date),
            record->subject.node};
}

void AddResultRow(AttachmentRecord* record, SearchWindowState*) {
    ++g_benchHost.rows;
    if (g_benchHost.keepRows) {
        g_benchHost.kept.push_back(RowOf(MessageIndexOf(TextOf(record->messageId)), record));
    }
}
