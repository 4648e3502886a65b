// Scanner throughput over a whole store held in memory, against one memchr
// pass for CR over the same bytes; and the scanner's rows against the plain
// reference scan. Prints "key value" lines for run-bench.sh.
//
// usage: scan_bench [--passes N] [--check] [--reference] [--only scan|limit] DATA_DIR
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "bench/bench_host.h"
#include "bench/bench_store.h"
#include "bench/reference_scan.h"
#include "devhost/message_text.h"
#include "search/scanner.h"
#include "search/search_state.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Options {
    int passes = 3;
    bool check = false;
    bool reference = false;
    std::string only;  // "scan" or "limit": one pass of one of them, for callgrind
    std::string dataFolder;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--passes" && i + 1 < argc) {
            options->passes = std::atoi(argv[++i]);
        } else if (arg == "--check") {
            options->check = true;
        } else if (arg == "--reference") {
            options->reference = true;
        } else if (arg == "--only" && i + 1 < argc) {
            options->only = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && options->dataFolder.empty()) {
            options->dataFolder = arg;
        } else {
            return false;
        }
    }
    return !options->dataFolder.empty() && options->passes > 0;
}

std::vector<RefString> MessageIds(const StoreImage& store) {
    std::vector<RefString> ids;
    for (size_t k = 0; k < store.messages.size(); ++k) {
        ids.push_back(MakeRefString(std::to_string(k).c_str()));
    }
    return ids;
}

__attribute__((noinline)) void ScanAllMessages(const StoreImage& store, char* work,
                                               SearchWindowState* state, const RefString* folder,
                                               const std::vector<RefString>& ids) {
    for (size_t k = 0; k < store.messages.size(); ++k) {
        ScanMessageSource(work + store.messages[k].offset, state, folder, &ids[k]);
    }
}

__attribute__((noinline)) size_t MemchrPass(const StoreImage& store, const char* arena) {
    size_t count = 0;
    for (const StoredMessage& message : store.messages) {
        const char* p = arena + message.offset;
        const char* end = p + message.size;
        while ((p = static_cast<const char*>(std::memchr(p, '\r', end - p))) != nullptr) {
            ++count;
            ++p;
        }
    }
    return count;
}

// memchr's own SSE2 loop, for instruction counts: valgrind replaces the C
// library's memchr with a byte loop of its own.
#if defined(__SSE2__)
__attribute__((noinline)) size_t SseCrPass(const StoreImage& store, const char* arena) {
    size_t count = 0;
    const __m128i cr = _mm_set1_epi8('\r');
    for (const StoredMessage& message : store.messages) {
        const char* p = arena + message.offset;
        const char* end = p + message.size;
        for (; p + 16 <= end; p += 16) {
            __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
            for (; mask; mask &= mask - 1) ++count;  // one stop per CR, as memchr makes
        }
        for (; p < end; ++p) count += *p == '\r';
    }
    return count;
}
#endif

// Every message file read from disk into one reused buffer, and with
// scanOnly false also scanned: the search's work without the window, against
// the reading alone. Header blocks come from the in-memory copy, as a host
// that indexes its headers would hand them out.
double DiskPass(const StoreImage& store, const std::string& dataFolder, bool scan,
                SearchWindowState* state, const RefString* folder,
                const std::vector<RefString>& ids, uint64_t* bytes) {
    std::vector<char> buffer(1 << 20);
    *bytes = 0;
    Clock::time_point start = Clock::now();
    for (size_t k = 0; k < store.messages.size(); ++k) {
        std::FILE* file = std::fopen((dataFolder + "/" + store.messages[k].path).c_str(), "rb");
        if (!file) continue;
        size_t size = 0, got = 0;
        while ((got = std::fread(buffer.data() + size, 1, buffer.size() - 1 - size, file)) > 0) {
            size += got;
            if (size + 1 == buffer.size()) buffer.resize(buffer.size() * 2);
        }
        std::fclose(file);
        buffer[size] = '\0';
        *bytes += size;
        if (scan) ScanMessageSource(buffer.data(), state, folder, &ids[k]);
    }
    double seconds = SecondsSince(start);
    ClearResults(state);
    return seconds;
}

// What the stand-in host does per message besides reading: the source cut
// and normalised, then copied out; and for a message that yields a record,
// the whole file read and normalised again for its header block.
double HostModelPass(const StoreImage& store, const std::string& dataFolder, bool headers,
                     const std::vector<bool>& fetched) {
    Clock::time_point start = Clock::now();
    for (size_t k = 0; k < store.messages.size(); ++k) {
        if (headers && !fetched[k]) continue;
        std::FILE* file = std::fopen((dataFolder + "/" + store.messages[k].path).c_str(), "rb");
        if (!file) continue;
        std::string bytes;
        char chunk[65536];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
        std::fclose(file);
        std::string text = NormalizeMessageText(bytes.data(), bytes.size());
        if (headers) text.resize(HeaderBlockLength(text));
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        std::memcpy(copy, text.c_str(), text.size() + 1);
        std::free(copy);
    }
    return SecondsSince(start);
}

// True when the host's text of these bytes differs from the bytes: a NUL,
// or an LF without its CR.
bool NeedsNormalizing(const char* bytes, size_t size) {
    if (std::memchr(bytes, '\0', size)) return true;
    const char* end = bytes + size;
    for (const char* p = bytes; (p = static_cast<const char*>(std::memchr(p, '\n', end - p)));
         ++p) {
        if (p == bytes || p[-1] != '\r') return true;
    }
    return false;
}

// The same answers with the work a host needs: a file read at its size and
// copied out when it has CR LF line ends already (the normalised text is
// then the file itself), and a header block read only up to its end.
double LeanHostPass(const StoreImage& store, const std::string& dataFolder, bool headers,
                    const std::vector<bool>& fetched) {
    std::vector<char> buffer(1 << 16);
    Clock::time_point start = Clock::now();
    for (size_t k = 0; k < store.messages.size(); ++k) {
        if (headers && !fetched[k]) continue;
        std::FILE* file = std::fopen((dataFolder + "/" + store.messages[k].path).c_str(), "rb");
        if (!file) continue;
        size_t size = 0, got = 0;
        for (;;) {
            if (size + 4096 + 1 > buffer.size()) buffer.resize(buffer.size() * 2);
            got = std::fread(buffer.data() + size, 1, headers ? 4096 : buffer.size() - 1 - size,
                             file);
            if (got == 0) break;
            size += got;
            // A header block ends at its first empty line.
            if (headers && std::search(buffer.data() + (size > got + 3 ? size - got - 3 : 0),
                                       buffer.data() + size, "\r\n\r\n",
                                       "\r\n\r\n" + 4) != buffer.data() + size) {
                break;
            }
        }
        std::fclose(file);
        std::string text = NeedsNormalizing(buffer.data(), size)
                               ? NormalizeMessageText(buffer.data(), size)
                               : std::string(buffer.data(), size);
        if (headers) text.resize(HeaderBlockLength(text));
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        std::memcpy(copy, text.c_str(), text.size() + 1);
        std::free(copy);
    }
    return SecondsSince(start);
}

bool SameRow(const BenchRow& a, const BenchRow& b) {
    return a.message == b.message && a.fileName == b.fileName && a.subject == b.subject &&
           a.sender == b.sender && a.date == b.date;
}

// The scanner's rows against the reference's, and one shared subject per message.
bool CheckAgainstReference(const StoreImage& store, double* referenceSeconds) {
    std::vector<char> work(store.arena);
    SearchWindowState state = {};
    RefString folder = MakeRefString("Inbox");
    std::vector<RefString> ids = MessageIds(store);
    g_benchHost.keepRows = true;
    g_benchHost.kept.clear();
    g_benchHost.headerFetches = 0;
    ScanAllMessages(store, work.data(), &state, &folder, ids);
    std::vector<BenchRow> fast = g_benchHost.kept;
    g_benchHost.keepRows = false;
    uint64_t fastFetches = g_benchHost.headerFetches;

    work = store.arena;
    std::vector<BenchRow> plain;
    g_benchHost.headerFetches = 0;
    Clock::time_point start = Clock::now();
    for (size_t k = 0; k < store.messages.size(); ++k) {
        ReferenceScan(work.data() + store.messages[k].offset, static_cast<uint32_t>(k), &plain);
    }
    *referenceSeconds = SecondsSince(start);
    uint64_t plainFetches = g_benchHost.headerFetches;

    bool same = fast.size() == plain.size();
    for (size_t r = 0; same && r < fast.size(); ++r) {
        if (!SameRow(fast[r], plain[r])) {
            std::fprintf(stderr, "scan_bench: row %zu differs (message %s, '%s' vs '%s')\n", r,
                         store.messages[fast[r].message].path.c_str(), fast[r].fileName.c_str(),
                         plain[r].fileName.c_str());
            same = false;
        }
    }
    size_t unshared = 0;
    for (size_t r = 1; r < fast.size(); ++r) {
        if (fast[r].message == fast[r - 1].message &&
            fast[r].subjectNode != fast[r - 1].subjectNode) {
            ++unshared;
        }
    }
    std::printf("check_rows %zu\ncheck_reference_rows %zu\ncheck_identical %s\n", fast.size(),
                plain.size(), same ? "yes" : "no");
    std::printf("check_header_fetches %llu\ncheck_reference_header_fetches %llu\n",
                static_cast<unsigned long long>(fastFetches),
                static_cast<unsigned long long>(plainFetches));
    std::printf("check_unshared_subjects %zu\n", unshared);
    ClearResults(&state);
    for (RefString& id : ids) ReleaseRefString(&id);
    ReleaseRefString(&folder);
    return same && unshared == 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: scan_bench [--passes N] [--check] [--reference] [--only scan|limit] "
                     "DATA_DIR\n");
        return 2;
    }
    StoreImage store;
    Clock::time_point loadStart = Clock::now();
    if (!LoadStoreImage(options.dataFolder, &store)) {
        std::fprintf(stderr, "scan_bench: no messages below %s\n", options.dataFolder.c_str());
        return 1;
    }
    std::printf("messages %zu\nbytes %zu\nload_seconds %.3f\n", store.messages.size(),
                store.totalBytes, SecondsSince(loadStart));
    InstallBenchHost(&store, store.arena.data());

    std::vector<char> work(store.arena);
    SearchWindowState state = {};
    RefString folder = MakeRefString("Inbox");
    std::vector<RefString> ids = MessageIds(store);

    if (options.only == "scan") {
        ScanAllMessages(store, work.data(), &state, &folder, ids);
        std::printf("rows %llu\n", static_cast<unsigned long long>(g_benchHost.rows));
        return 0;
    }
    if (options.only == "limit") {
#if defined(__SSE2__)
        std::printf("crs %zu\n", SseCrPass(store, store.arena.data()));
#else
        std::printf("crs %zu\n", MemchrPass(store, store.arena.data()));
#endif
        return 0;
    }

    // Passes alternate scanner and limit, so that both see the same machine.
    double bestScan = 1e30, bestLimit = 1e30;
    uint64_t rows = 0, fetches = 0, headerBytes = 0;
    size_t crs = 0;
    for (int pass = 0; pass < options.passes; ++pass) {
        std::memcpy(work.data(), store.arena.data(), store.arena.size());
        g_benchHost.rows = g_benchHost.headerFetches = g_benchHost.headerBytes = 0;
        Clock::time_point start = Clock::now();
        ScanAllMessages(store, work.data(), &state, &folder, ids);
        double scan = SecondsSince(start);
        if (scan < bestScan) bestScan = scan;
        rows = g_benchHost.rows;
        fetches = g_benchHost.headerFetches;
        headerBytes = g_benchHost.headerBytes;
        ClearResults(&state);

        start = Clock::now();
        crs = MemchrPass(store, store.arena.data());
        double limit = SecondsSince(start);
        if (limit < bestLimit) bestLimit = limit;
    }
    double megabytes = store.totalBytes / 1e6;
    std::printf("rows %llu\nheader_fetches %llu\nheader_bytes %llu\ncrs %zu\n",
                static_cast<unsigned long long>(rows), static_cast<unsigned long long>(fetches),
                static_cast<unsigned long long>(headerBytes), crs);
    std::printf("scan_seconds %.6f\nscan_mbps %.1f\n", bestScan, megabytes / bestScan);
    std::printf("memchr_seconds %.6f\nmemchr_mbps %.1f\n", bestLimit, megabytes / bestLimit);
    std::printf("ratio %.2f\n", bestScan / bestLimit);

    // From disk: reading alone against reading and scanning, alternated.
    double bestRead = 1e30, bestReadScan = 1e30;
    uint64_t diskBytes = 0;
    for (int pass = 0; pass < options.passes; ++pass) {
        bestRead = std::min(
            bestRead, DiskPass(store, options.dataFolder, false, &state, &folder, ids, &diskBytes));
        bestReadScan = std::min(bestReadScan, DiskPass(store, options.dataFolder, true, &state,
                                                       &folder, ids, &diskBytes));
    }
    std::printf("disk_bytes %llu\ndisk_read_seconds %.6f\ndisk_read_scan_seconds %.6f\n",
                static_cast<unsigned long long>(diskBytes), bestRead, bestReadScan);
    std::printf("disk_ratio %.2f\n", bestReadScan / bestRead);

    // Which messages ask for their header block: those with a record.
    std::vector<bool> fetched(store.messages.size(), false);
    g_benchHost.keepRows = true;
    g_benchHost.kept.clear();
    std::memcpy(work.data(), store.arena.data(), store.arena.size());
    ScanAllMessages(store, work.data(), &state, &folder, ids);
    for (const BenchRow& row : g_benchHost.kept) fetched[row.message] = true;
    g_benchHost.keepRows = false;
    g_benchHost.kept.clear();
    ClearResults(&state);
    double sources = HostModelPass(store, options.dataFolder, false, fetched);
    double headers = HostModelPass(store, options.dataFolder, true, fetched);
    std::printf("host_model_source_seconds %.6f\nhost_model_header_seconds %.6f\n", sources,
                headers);
    std::printf("lean_host_source_seconds %.6f\nlean_host_header_seconds %.6f\n",
                LeanHostPass(store, options.dataFolder, false, fetched),
                LeanHostPass(store, options.dataFolder, true, fetched));

    int status = 0;
    if (options.check || options.reference) {
        double referenceSeconds = 0;
        if (!CheckAgainstReference(store, &referenceSeconds)) status = 3;
        std::printf("reference_seconds %.6f\n", referenceSeconds);
    }
    for (RefString& id : ids) ReleaseRefString(&id);
    ReleaseRefString(&folder);
    return status;
}
