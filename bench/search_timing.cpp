#include "bench/search_timing.h"

#include <windows.h>

#include <cstring>

#include "host/host_api.h"

struct AttachmentRecord;
struct SearchWindowState;
struct RefString;

namespace {

HostApi g_real;
SearchTimes g_times;
double g_frequency;
double g_scanStart;       // inside ScanMessageSource when > 0
double g_hostInScan;      // host time spent inside the current scan
double g_headerReturned;  // when the last header block was handed out
const void* g_header;     // that header block
double g_sourceReleased;  // end of the last message's BKA_Free(source); 0 when none
double g_rowsInScan;
double g_headerInScan;

double Elapsed(double start) {
    return NowSeconds() - start;
}

void AddHost(double seconds) {
    g_times.hostIo += seconds;
    if (g_scanStart > 0) g_hostInScan += seconds;
}

int QF_WINAPI TimedGetNextMail(int position, char* id, int size, intptr_t flags) {
    if (g_sourceReleased > 0) {
        g_times.draining += Elapsed(g_sourceReleased);
        g_sourceReleased = 0;
    }
    double start = NowSeconds();
    int next = g_real.BKA_GetNextMail(position, id, size, flags);
    AddHost(Elapsed(start));
    return next;
}

char* QF_WINAPI TimedGetSource(const char* id) {
    double start = NowSeconds();
    char* source = g_real.BKA_GetSource(id);
    AddHost(Elapsed(start));
    ++g_times.messages;
    if (source) g_times.sourceBytes += std::strlen(source);
    return source;
}

char* QF_WINAPI TimedGetHeader(const char* id) {
    double start = NowSeconds();
    char* header = g_real.BKA_GetHeader(id);
    AddHost(Elapsed(start));
    ++g_times.headerFetches;
    g_header = header;
    g_headerReturned = NowSeconds();
    return header;
}

void QF_WINAPI TimedFree(void* text) {
    double start = NowSeconds();
    bool isHeader = text && text == g_header;
    if (isHeader) {
        double work = start - g_headerReturned;
        g_times.headerWork += work;
        g_headerInScan += work;
        g_header = nullptr;
    }
    g_real.BKA_Free(text);
    AddHost(Elapsed(start));
    if (!isHeader && g_scanStart == 0) g_sourceReleased = NowSeconds();
}

char* QF_WINAPI TimedMIMEHeader(const char* text, char* buffer, int size, intptr_t flags) {
    double start = NowSeconds();
    char* converted = g_real.BKA_MIMEHeader(text, buffer, size, flags);
    AddHost(Elapsed(start));
    return converted;
}

int QF_WINAPI TimedSetCurrentFolder(const char* folder) {
    double start = NowSeconds();
    int result = g_real.BKA_SetCurrentFolder(folder);
    AddHost(Elapsed(start));
    return result;
}

const char* QF_WINAPI TimedGetFolderDisplayName(const char* folder) {
    double start = NowSeconds();
    const char* name = g_real.BKA_GetFolderDisplayName(folder);
    AddHost(Elapsed(start));
    return name;
}

}  // namespace

// The plug-in's own functions, wrapped by the linker.
extern "C" void __real__Z17ScanMessageSourcePcP17SearchWindowStatePK9RefStringS4_(
    char*, SearchWindowState*, const RefString*, const RefString*);
extern "C" void __real__Z12AddResultRowP16AttachmentRecordP17SearchWindowState(AttachmentRecord*,
                                                                               SearchWindowState*);

extern "C" void __real__Z9RunSearchb(bool);
extern "C" void __real__Z11EndRowBatchP17SearchWindowState(SearchWindowState*);

extern "C" void __wrap__Z9RunSearchb(bool includeSubfolders) {
    double start = NowSeconds();
    __real__Z9RunSearchb(includeSubfolders);
    g_times.runSearch += Elapsed(start);
}

extern "C" void __wrap__Z17ScanMessageSourcePcP17SearchWindowStatePK9RefStringS4_(
    char* source, SearchWindowState* state, const RefString* folder, const RefString* id) {
    g_hostInScan = g_rowsInScan = g_headerInScan = 0;
    g_scanStart = NowSeconds();
    __real__Z17ScanMessageSourcePcP17SearchWindowStatePK9RefStringS4_(source, state, folder, id);
    double total = Elapsed(g_scanStart);
    g_scanStart = 0;
    g_times.scanning += total - g_hostInScan - g_rowsInScan - g_headerInScan;
}

extern "C" void __wrap__Z12AddResultRowP16AttachmentRecordP17SearchWindowState(
    AttachmentRecord* record, SearchWindowState* state) {
    double start = NowSeconds();
    __real__Z12AddResultRowP16AttachmentRecordP17SearchWindowState(record, state);
    double seconds = Elapsed(start);
    g_times.rows += seconds;
    ++g_times.rowCount;
    if (g_scanStart > 0) g_rowsInScan += seconds;
}

// The end of a message's batch is where its held rows are drawn: row time.
extern "C" void __wrap__Z11EndRowBatchP17SearchWindowState(SearchWindowState* state) {
    double start = NowSeconds();
    __real__Z11EndRowBatchP17SearchWindowState(state);
    g_times.rows += Elapsed(start);
}

double NowSeconds() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / g_frequency;
}

void InstallSearchTiming() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_frequency = static_cast<double>(frequency.QuadPart);
    g_real = g_hostApi;
    g_hostApi.BKA_GetNextMail = TimedGetNextMail;
    g_hostApi.BKA_GetSource = TimedGetSource;
    g_hostApi.BKA_GetHeader = TimedGetHeader;
    g_hostApi.BKA_Free = TimedFree;
    g_hostApi.BKA_MIMEHeader = TimedMIMEHeader;
    g_hostApi.BKA_SetCurrentFolder = TimedSetCurrentFolder;
    g_hostApi.BKA_GetFolderDisplayName = TimedGetFolderDisplayName;
}

void ResetSearchTimes() {
    g_times = SearchTimes();
    g_sourceReleased = 0;
}

SearchTimes CurrentSearchTimes() {
    return g_times;
}
