// The scanner over a whole store held in memory, against one memchr pass for
// CR over the same bytes: the plug-in's own work per byte, with no host and
// no list behind it. Header blocks come from a pristine copy, as a host
// hands them out; rows go nowhere.
//
// usage: native_scan_bench DATA_DIR [google benchmark flags]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "search/quick_search.h"
#include "search/scanner.h"
#include "search/search_state.h"

namespace {

struct Store {
    std::string pristine;  // every source, each ended by a NUL
    std::vector<size_t> starts;
};
Store g_store;

void LoadStore(const std::string& dataFolder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataFolder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".eml")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        g_store.starts.push_back(g_store.pristine.size());
        g_store.pristine.append(std::istreambuf_iterator<char>(in), {});
        g_store.pristine.push_back('\0');
    }
}

// The message id is the source's index: its header block is cut from the
// pristine copy up to the empty line.
char* QF_WINAPI StoreGetHeader(const char* id) {
    const char* source = g_store.pristine.data() + g_store.starts[std::strtoul(id, nullptr, 10)];
    const char* end = std::strstr(source, "\r\n\r\n");
    size_t length = end ? static_cast<size_t>(end - source) + 2 : std::strlen(source);
    char* block = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(block, source, length);
    block[length] = '\0';
    return block;
}

void QF_WINAPI StoreFree(void* text) {
    std::free(text);
}

char* QF_WINAPI CopyName(const char* text, char* buffer, int size, intptr_t) {
    std::strncpy(buffer, text, static_cast<size_t>(size) - 1);
    buffer[size - 1] = '\0';
    return buffer;
}

void BM_ScanStore(benchmark::State& run) {
    g_hostApi.BKA_GetHeader = StoreGetHeader;
    g_hostApi.BKA_Free = StoreFree;
    g_hostApi.BKA_MIMEHeader = CopyName;
    BuildFixedShiftTables();
    SearchWindowState state = {};
    RefString folder = MakeRefString("Inbox");
    std::string work;
    size_t rows = 0;
    for (auto _ : run) {
        run.PauseTiming();
        work = g_store.pristine;  // the scan cuts values out in place
        ClearResults(&state);
        run.ResumeTiming();
        for (size_t k = 0; k < g_store.starts.size(); ++k) {
            RefString id = MakeRefString(std::to_string(k).c_str());
            ScanMessageSource(&work[g_store.starts[k]], &state, &folder, &id);
            ReleaseRefString(&id);
        }
        rows = state.results.size();
    }
    ClearResults(&state);
    ReleaseRefString(&folder);
    run.SetBytesProcessed(static_cast<int64_t>(run.iterations() * g_store.pristine.size()));
    run.counters["rows"] = static_cast<double>(rows);
    run.counters["messages"] = static_cast<double>(g_store.starts.size());
}

// What no scan can beat: finding every CR once.
void BM_MemchrCr(benchmark::State& run) {
    const char* begin = g_store.pristine.data();
    const char* end = begin + g_store.pristine.size();
    for (auto _ : run) {
        size_t count = 0;
        for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\r', end - p)));
             ++p)
            ++count;
        benchmark::DoNotOptimize(count);
    }
    run.SetBytesProcessed(static_cast<int64_t>(run.iterations() * g_store.pristine.size()));
}

}  // namespace

// AddResultRow's and DrainDuringScan's place in the native build: the rows go
// nowhere and the scan never stops.
void AddResultRow(AttachmentRecord*, SearchWindowState*) {}
bool DrainDuringScan(SearchWindowState*) {
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: native_scan_bench DATA_DIR [benchmark flags]\n");
        return 2;
    }
    LoadStore(argv[1]);
    benchmark::RegisterBenchmark("scan_store", BM_ScanStore)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("memchr_cr", BM_MemchrCr)->Unit(benchmark::kMillisecond);
    std::vector<char*> flags = {argv[0]};
    flags.insert(flags.end(), argv + 2, argv + argc);
    int count = static_cast<int>(flags.size());
    benchmark::Initialize(&count, flags.data());
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
