// The host and the results list as the scanner benchmark plays them: header
// blocks copied from the in-memory store, names copied as the host's
// conversion, and a row sink that does nothing or keeps the rows' texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/bench_store.h"

struct AttachmentRecord;

struct BenchRow {
    uint32_t message;
    std::string fileName, subject, sender, date;  // "\x01" stands for absent
    const void* subjectNode;                      // to see sharing within a message
};

struct BenchHost {
    const StoreImage* store = nullptr;
    const char* arena = nullptr;  // the pristine sources the header blocks come from
    uint64_t headerFetches = 0;
    uint64_t headerBytes = 0;
    uint64_t rows = 0;
    bool keepRows = false;
    std::vector<BenchRow> kept;
};

extern BenchHost g_benchHost;

// Points the host table at the bench host and builds the shift tables.
void InstallBenchHost(const StoreImage* store, const char* pristineArena);
// The row as its texts, for comparing two scans.
BenchRow RowOf(uint32_t message, const AttachmentRecord* record);
// "17" -> 17: the bench names messages by their index in the store.
uint32_t MessageIndexOf(const char* messageId);
