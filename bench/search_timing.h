// Splits the time of a search run inside the bench program: the host's
// functions are wrapped in the host table, and ScanMessageSource and
// AddResultRow are wrapped at link time (-Wl,--wrap).
#pragma once

#include <cstdint>

struct SearchTimes {
    double hostIo;      // every BKA_* call: enumeration, sources, headers, frees, names
    double scanning;    // the line walk and the records, less the parts below
    double headerWork;  // cutting subject, sender and date out of a header block
    double rows;        // AddResultRow: shell type name and list insertion
    double draining;    // the message queue after every message
    double runSearch;   // RunSearch as a whole; the rest of the button's time is windows
    uint64_t messages;
    uint64_t rowCount;
    uint64_t headerFetches;
    uint64_t sourceBytes;
};

// Replaces the bound host functions with timed ones; call after binding.
void InstallSearchTiming();
void ResetSearchTimes();
SearchTimes CurrentSearchTimes();
double NowSeconds();
