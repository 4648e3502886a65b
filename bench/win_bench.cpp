// The whole search in one Wine process: the plug-in's code, its dialogs and
// the stand-in host linked into one program, timed from outside the plug-in
// (the host functions through the host table, three plug-in functions
// wrapped by the linker, the list's paints through a subclass). Prints
// "key value" lines: the reading of the same files and nothing else, the
// search split by stage, the list's paints, the abort's latency, the shell's
// answers cached against fresh ones, memory, and the longest stretch in which
// the queue was not looked at (every PeekMessageA of the program is timed).
//
// usage: win_bench --data DIR [--folder ID] [--crafted DIR] [--huge-100k DIR] [--huge-1m DIR]
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "devhost/host_state.h"
#include "host/host_api.h"
#include "host/plugin_entry.h"
#include "host/plugin_globals.h"
#include "search/attachment_record.h"
#include "search/search_state.h"
#include "tests/win/linker_wrap.h"
#include "ui/resource.h"
#include "ui/shell_name.h"
#include "ui/search_window.h"
#include "ui/shell_type_name.h"

void RealRunSearch(bool) QF_REAL("_Z9RunSearchb");
void RealScanMessageSource(char*, SearchWindowState*, const RefString*, const RefString*)
    QF_REAL("_Z17ScanMessageSourcePcP17SearchWindowStatePK9RefStringS4_");
void RealAddResultRow(AttachmentRecord*, SearchWindowState*)
    QF_REAL("_Z12AddResultRowP16AttachmentRecordP17SearchWindowState");

namespace {

// The plug-in's own heap: every operator new of the program outside the host
// functions (the stand-in host's allocations are the host's). A header before
// each block remembers its size and whether it was counted.
struct OwnHeap {
    int hostDepth;
    int64_t live, peak;
} g_own;

void* OwnAllocate(size_t size) {
    char* block = static_cast<char*>(std::malloc(size + 16));
    if (!block) throw std::bad_alloc();
    size_t* header = reinterpret_cast<size_t*>(block);
    header[0] = size;
    header[1] = g_own.hostDepth == 0;
    if (header[1]) {
        g_own.live += static_cast<int64_t>(size);
        g_own.peak = std::max(g_own.peak, g_own.live);
    }
    return block + 16;
}

void OwnRelease(void* memory) {
    if (!memory) return;
    char* block = static_cast<char*>(memory) - 16;
    size_t* header = reinterpret_cast<size_t*>(block);
    if (header[1]) g_own.live -= static_cast<int64_t>(header[0]);
    std::free(block);
}

}  // namespace

void* operator new(size_t size) {
    return OwnAllocate(size);
}
void* operator new[](size_t size) {
    return OwnAllocate(size);
}
void operator delete(void* memory) noexcept {
    OwnRelease(memory);
}
void operator delete[](void* memory) noexcept {
    OwnRelease(memory);
}
void operator delete(void* memory, size_t) noexcept {
    OwnRelease(memory);
}
void operator delete[](void* memory, size_t) noexcept {
    OwnRelease(memory);
}

namespace {

double g_tickSeconds;

double Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * g_tickSeconds;
}

void Report(const char* key, double value) {
    std::printf("%s %.6f\n", key, value);
}
void ReportCount(const char* key, uint64_t value) {
    std::printf("%s %llu\n", key, static_cast<unsigned long long>(value));
}

// What one search cost, stage by stage.
struct Split {
    double host, scan, header, rows, paint, wmPaint, drain;
    uint64_t messages, bytes, rowCount, headerFetches, paints;
    double lastPaint, minPaintGap;    // between two paints of the list
    double maxPaint;                  // the longest single paint
    double pendingSince, maxRowWait;  // how long a found row waited to be drawn
    int abortAtMessage;               // posts the abort click when this source is handed out
    uint64_t abortAtRow;              // posts it when this row is added
    double searchStart, abortPosted, runSearchEnd;
    // Drains seen by the timer: the longest gap between two, in all and
    // without the host functions' time inside it.
    double lastDrain, hostAtLastDrain, maxStretch, maxOwnStretch;
};

Split g_split;
HostApi g_real;
double g_scanStart;     // inside ScanMessageSource when non-zero
double g_nestedInScan;  // host, header and row time inside the current scan
double g_headerReturned;
const void* g_header;
double g_sourceReleased;  // end of the last message's BKA_Free(source)
double g_paintInDrain;
bool g_inSearch;  // from the search button's click to the end of its pump
WNDPROC g_listProc;
bool g_recordsOnly;  // rows are counted but not put into the list

// Inside a host function: what it allocates is the host's.
struct HostScope {
    HostScope() { ++g_own.hostDepth; }
    ~HostScope() { --g_own.hostDepth; }
};

void AddHost(double seconds) {
    g_split.host += seconds;
    if (g_scanStart != 0) g_nestedInScan += seconds;
}

int QF_WINAPI TimedGetNextMail(int position, char* id, int size, intptr_t flags) {
    HostScope inHost;
    if (g_sourceReleased != 0) {
        g_split.drain += Now() - g_sourceReleased - g_paintInDrain;
        g_sourceReleased = 0;
    }
    double start = Now();
    int next = g_real.BKA_GetNextMail(position, id, size, flags);
    AddHost(Now() - start);
    return next;
}

char* QF_WINAPI TimedGetSource(const char* id) {
    HostScope inHost;
    double start = Now();
    char* source = g_real.BKA_GetSource(id);
    AddHost(Now() - start);
    if (source) g_split.bytes += std::strlen(source);
    if (++g_split.messages == static_cast<uint64_t>(g_split.abortAtMessage)) {
        g_split.abortPosted = Now();  // the host has just posted the click
    }
    return source;
}

char* QF_WINAPI TimedGetHeader(const char* id) {
    HostScope inHost;
    double start = Now();
    char* header = g_real.BKA_GetHeader(id);
    AddHost(Now() - start);
    ++g_split.headerFetches;
    g_header = header;
    g_headerReturned = Now();
    return header;
}

void QF_WINAPI TimedFree(void* text) {
    HostScope inHost;
    double start = Now();
    bool isHeader = text && text == g_header;
    if (isHeader) {
        g_split.header += start - g_headerReturned;
        if (g_scanStart != 0) g_nestedInScan += start - g_headerReturned;
        g_header = nullptr;
    }
    g_real.BKA_Free(text);
    AddHost(Now() - start);
    if (!isHeader && g_scanStart == 0) {
        g_sourceReleased = Now();
        g_paintInDrain = 0;
    }
}

char* QF_WINAPI TimedMIMEHeader(const char* text, char* buffer, int size, intptr_t flags) {
    HostScope inHost;
    double start = Now();
    char* converted = g_real.BKA_MIMEHeader(text, buffer, size, flags);
    AddHost(Now() - start);
    return converted;
}

int QF_WINAPI TimedSetCurrentFolder(const char* folder) {
    HostScope inHost;
    double start = Now();
    int result = g_real.BKA_SetCurrentFolder(folder);
    AddHost(Now() - start);
    return result;
}

const char* QF_WINAPI TimedGetFolderDisplayName(const char* folder) {
    HostScope inHost;
    double start = Now();
    const char* name = g_real.BKA_GetFolderDisplayName(folder);
    AddHost(Now() - start);
    return name;
}

void InstallHostTiming() {
    g_real = g_hostApi;
    g_hostApi.BKA_GetNextMail = TimedGetNextMail;
    g_hostApi.BKA_GetSource = TimedGetSource;
    g_hostApi.BKA_GetHeader = TimedGetHeader;
    g_hostApi.BKA_Free = TimedFree;
    g_hostApi.BKA_MIMEHeader = TimedMIMEHeader;
    g_hostApi.BKA_SetCurrentFolder = TimedSetCurrentFolder;
    g_hostApi.BKA_GetFolderDisplayName = TimedGetFolderDisplayName;
}

// The list's paints, and its drawing let through again, are paint time.
LRESULT CALLBACK TimedListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    bool paint = message == WM_PAINT || (message == WM_SETREDRAW && wParam);
    double start = paint ? Now() : 0;
    LRESULT result = CallWindowProcA(g_listProc, list, message, wParam, lParam);
    if (!paint || !g_inSearch) return result;
    double seconds = Now() - start;
    g_split.paint += seconds;
    g_split.maxPaint = std::max(g_split.maxPaint, seconds);
    if (g_sourceReleased != 0) g_paintInDrain += seconds;
    if (message == WM_PAINT) {
        g_split.wmPaint += seconds;
        // The paced paints of rows: not the emptied list's at the start, nor
        // the one when the search has ended, which may follow the last at once.
        ++g_split.paints;
        if (g_split.rowCount > 0 && g_split.runSearchEnd == 0) {
            if (g_split.lastPaint != 0)
                g_split.minPaintGap = std::min(g_split.minPaintGap, start - g_split.lastPaint);
            g_split.lastPaint = start;
        }
        if (g_split.pendingSince != 0) {
            g_split.maxRowWait = std::max(g_split.maxRowWait, start - g_split.pendingSince);
            g_split.pendingSince = 0;
        }
    }
    return result;
}

// A drain at the given time: closes the stretch since the last one.
void NoteDrain(double now) {
    Split& s = g_split;
    if (s.lastDrain != 0) {
        double stretch = now - s.lastDrain;
        s.maxStretch = std::max(s.maxStretch, stretch);
        s.maxOwnStretch = std::max(s.maxOwnStretch, stretch - (s.host - s.hostAtLastDrain));
    }
    s.lastDrain = now;
    s.hostAtLastDrain = s.host;
}

// Every look at the queue, the plug-in's drains and the host loop's alike:
// PeekMessageA's entry in the program's import table points here.
typedef BOOL(WINAPI* PeekMessageFn)(MSG*, HWND, UINT, UINT, UINT);
PeekMessageFn g_realPeekMessage;

BOOL WINAPI TimedPeekMessage(MSG* msg, HWND window, UINT first, UINT last, UINT remove) {
    if (g_inSearch && g_split.runSearchEnd == 0) NoteDrain(Now());
    return g_realPeekMessage(msg, window, first, last, remove);
}

void InstallPeekTiming() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    g_realPeekMessage = reinterpret_cast<PeekMessageFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "PeekMessageA")));
    char* base = reinterpret_cast<char*>(GetModuleHandleA(nullptr));
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* module =
             reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name; ++module) {
        for (IMAGE_THUNK_DATA* slot =
                 reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
             slot->u1.Function; ++slot) {
            if (slot->u1.Function != reinterpret_cast<ULONG_PTR>(g_realPeekMessage)) continue;
            DWORD protection;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(TimedPeekMessage);
            VirtualProtect(slot, sizeof *slot, protection, &protection);
        }
    }
}

}  // namespace

void WrappedRunSearch(bool includeSubfolders) QF_WRAPPED("_Z9RunSearchb");
// When RunSearch returned, for the abort's latency.
void WrappedRunSearch(bool includeSubfolders) {
    RealRunSearch(includeSubfolders);
    g_split.runSearchEnd = Now();
    NoteDrain(g_split.runSearchEnd);  // the host's loop takes over from here
}

void WrappedScanMessageSource(char*, SearchWindowState*, const RefString*, const RefString*)
    QF_WRAPPED("_Z17ScanMessageSourcePcP17SearchWindowStatePK9RefStringS4_");
void WrappedScanMessageSource(char* source, SearchWindowState* state, const RefString* folder,
                              const RefString* id) {
    g_nestedInScan = 0;
    g_scanStart = Now();
    RealScanMessageSource(source, state, folder, id);
    g_split.scan += Now() - g_scanStart - g_nestedInScan;
    g_scanStart = 0;
}

void WrappedAddResultRow(AttachmentRecord*, SearchWindowState*)
    QF_WRAPPED("_Z12AddResultRowP16AttachmentRecordP17SearchWindowState");
void WrappedAddResultRow(AttachmentRecord* record, SearchWindowState* state) {
    double start = Now();
    if (!g_recordsOnly) RealAddResultRow(record, state);
    double seconds = Now() - start;
    g_split.rows += seconds;
    if (++g_split.rowCount == g_split.abortAtRow) {
        // The click as a person makes it, queued while the message is scanned.
        if (PostAbortToProgressWindow()) g_split.abortPosted = Now();
    }
    if (g_scanStart != 0) g_nestedInScan += seconds;
    if (g_split.pendingSince == 0) g_split.pendingSince = start;
}

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters;
}

// Every message file below the folder, read into one reused buffer through
// the same Win32 calls: what the search cannot do with less.
void ReadFolderFiles(const std::string& directory, std::vector<char>* buffer, uint64_t* bytes) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != ".." && name[0] != '#')
                ReadFolderFiles(directory + name + "\\", buffer, bytes);
            continue;
        }
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".eml") != 0) continue;
        HANDLE file = CreateFileA((directory + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD size = GetFileSize(file, nullptr), got = 0;
        if (buffer->size() < size + 1) buffer->resize(size + 1);
        ReadFile(file, buffer->data(), size, &got, nullptr);
        CloseHandle(file);
        *bytes += got;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

double ReadAllFiles(const std::string& directory, uint64_t* bytes) {
    std::vector<char> buffer;
    *bytes = 0;
    double start = Now();
    ReadFolderFiles(directory, &buffer, bytes);
    return Now() - start;
}

// One search from the search button, as a person starts it, with the list
// subclassed for its paints; the button's seconds, its pump included.
double Search(const std::string& dataFolder, const std::string& folderId, int abortAt,
              uint64_t abortAtRow = 0) {
    {
        HostScope asHost;  // the host's own strings
        DevhostSetDataFolder(dataFolder);
        DevhostSetCurrentFolder(folderId);
    }
    OnSearchCommand(nullptr, 0);
    Pump();
    HWND window = g_searchWindow;
    g_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(GetDlgItem(window, IDC_RESULT_LIST), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(TimedListProc)));
    CheckDlgButton(window, IDC_SEARCH_SUBFOLDERS, BST_CHECKED);
    g_split = Split();
    g_split.minPaintGap = 1e9;
    g_split.abortAtMessage = abortAt;
    g_split.abortAtRow = abortAtRow;
    DevhostAbortAfter(abortAt);  // the click, queued while that message is scanned
    g_inSearch = true;
    double start = Now();
    g_split.searchStart = g_split.lastDrain = start;
    Click(window, IDC_SEARCH);
    Pump();  // the last rows are drawn here
    double seconds = Now() - start;
    g_inSearch = false;
    return seconds;
}

void CloseWindow() {
    if (g_searchState) Click(g_searchWindow, IDCANCEL);
    Pump();
}

void WholeSearch(const std::string& dataFolder, const std::string& folderId,
                 std::vector<std::string>* names) {
    uint64_t bytes = 0;
    double readFirst = ReadAllFiles(dataFolder + folderId, &bytes);
    PROCESS_MEMORY_COUNTERS_EX before = Memory();
    double total = Search(dataFolder, folderId, 0);
    PROCESS_MEMORY_COUNTERS_EX during = Memory();
    for (AttachmentRecord* record : g_searchState->results) {
        names->push_back(record->fileName.node ? record->fileName.node->text : "");
    }
    CloseWindow();
    PROCESS_MEMORY_COUNTERS_EX after = Memory();
    double limit = std::min(readFirst, ReadAllFiles(dataFolder + folderId, &bytes));

    const Split& s = g_split;
    ReportCount("search_messages", s.messages);
    ReportCount("search_bytes", s.bytes);
    ReportCount("search_rows", s.rowCount);
    ReportCount("search_header_fetches", s.headerFetches);
    Report("search_seconds", total);
    Report("search_host", s.host);
    Report("search_scan", s.scan);
    Report("search_header", s.header);
    Report("search_rows_seconds", s.rows);
    Report("search_paint", s.paint);
    Report("search_drain", s.drain);
    Report("search_wm_paint", s.wmPaint);
    Report("search_rest", total - s.host - s.scan - s.header - s.rows - s.paint - s.drain);
    ReportCount("search_paints", s.paints);
    Report("search_paints_per_second", s.paints / total);
    Report("search_min_paint_gap", s.minPaintGap < 1e9 ? s.minPaintGap : 0);
    Report("search_max_row_wait", s.maxRowWait);
    Report("search_max_stretch", s.maxStretch);
    Report("search_max_own_stretch", s.maxOwnStretch);
    Report("search_max_paint", s.maxPaint);
    ReportCount("io_bytes", bytes);
    Report("io_seconds", limit);
    ReportCount("memory_before_private", before.PagefileUsage);
    ReportCount("memory_peak_working_set", during.PeakWorkingSetSize);
    ReportCount("memory_after_close_private", after.PagefileUsage);
}

// The abort click arrives while the given message is scanned: how long until
// RunSearch has returned, against the average work of one message.
void AbortLatency(const char* key, const std::string& dataFolder, const std::string& folderId,
                  int abortAt) {
    Search(dataFolder, folderId, abortAt);
    Report(key, g_split.runSearchEnd - g_split.abortPosted);
    std::printf("%s_message %d\n%s_rows %llu\n", key, abortAt, key,
                static_cast<unsigned long long>(g_split.rowCount));
    CloseWindow();
}

// One message of many rows (its store's only one): the abort clicked when
// the abortAtRow-th row is added, how long until RunSearch returned, and the
// longest stretches without a drain until then; then the whole message with
// its records held but not put into the list (Wine's list takes quadratic
// time to empty itself at close), for the plug-in's own bytes.
void HugeMessage(const char* key, const std::string& store, uint64_t abortAtRow) {
    std::string prefix = key;
    Search(store, "Inbox\\", 0, abortAtRow);
    const Split& s = g_split;
    Report((prefix + "_abort_latency").c_str(),
           s.abortPosted ? s.runSearchEnd - s.abortPosted : -1);
    ReportCount((prefix + "_abort_at_row").c_str(), abortAtRow);
    ReportCount((prefix + "_abort_rows").c_str(), s.rowCount);
    Report((prefix + "_abort_posted_after").c_str(), s.abortPosted - s.searchStart);
    Report((prefix + "_max_stretch").c_str(), s.maxStretch);
    Report((prefix + "_max_own_stretch").c_str(), s.maxOwnStretch);
    ReportCount((prefix + "_paints").c_str(), s.paints);
    Report((prefix + "_paint").c_str(), s.paint);
    Report((prefix + "_max_paint").c_str(), s.maxPaint);
    // Wine's list empties itself in quadratic time: the close of these rows.
    double closeStart = Now();
    CloseWindow();
    Report((prefix + "_close_seconds").c_str(), Now() - closeStart);
    std::fflush(stdout);

    g_recordsOnly = true;
    int64_t before = g_own.live;
    g_own.peak = before;
    double seconds = Search(store, "Inbox\\", 0);
    int64_t held = g_own.live - before;
    ReportCount((prefix + "_rows").c_str(), g_split.rowCount);
    Report((prefix + "_records_seconds").c_str(), seconds);
    Report((prefix + "_records_max_own_stretch").c_str(), g_split.maxOwnStretch);
    Report((prefix + "_own_bytes_per_row").c_str(),
           g_split.rowCount ? static_cast<double>(held) / g_split.rowCount : 0);
    ReportCount((prefix + "_own_bytes_held").c_str(), static_cast<uint64_t>(held));
    ReportCount((prefix + "_own_bytes_peak").c_str(), static_cast<uint64_t>(g_own.peak - before));
    CloseWindow();
    g_recordsOnly = false;
    ReportCount((prefix + "_own_bytes_after_close").c_str(),
                static_cast<uint64_t>(std::max<int64_t>(g_own.live - before, 0)));
    std::fflush(stdout);
}

// Ten searches and closes in a row: private bytes after each close, and the
// plug-in's own bytes left over.
void RepeatedSearches(const std::string& dataFolder, const std::string& folderId) {
    SIZE_T privateBytes[10];
    int64_t ownBefore = g_own.live;
    for (SIZE_T& after : privateBytes) {
        Search(dataFolder, folderId, 0);
        CloseWindow();
        after = Memory().PagefileUsage;
    }
    int64_t ownLeft = g_own.live - ownBefore;
    std::printf("repeat_private_after_close");
    for (int k = 0; k < 10; ++k)
        std::printf("%c%lu", k ? ',' : ' ', static_cast<unsigned long>(privateBytes[k]));
    std::printf("\n");
    ReportCount("repeat_own_bytes_left", static_cast<uint64_t>(ownLeft));
}

// Names the shell reads otherwise than their last '.' byte suggests, names
// whose extensions differ only in case, and names too long to pass as they are.
std::vector<std::string> AwkwardNames() {
    std::vector<std::string> names = {
        "x\x82.txt", "\xE3\x81\x82.pdf", "\x82\xA0.txt", "a.b.txt", "b.tar.gz", "trailing.",
        "a.txt.",    "README",           "x.PDF",        "x.ZZQ",   "x.zzq",    "x. txt",
        "x.txt ",    "x.\\txt",          "x\\y.txt",     "..pdf",   ".pdf",     "x.pdf\x82",
        ""};
    names.push_back(std::string(250, 'n') + ".txt");
    names.push_back(std::string(296, 'n') + ".txt");
    names.push_back(std::string(295, 'n') + "\x82.txt");
    return names;
}

// Names whose cached answer differs from a fresh query, looked up in order.
size_t CountDiffering(TypeNameCache* cache, const std::vector<std::string>& names) {
    size_t differing = 0;
    RefString cachedName = {nullptr};
    for (const std::string& name : names) {
        char freshName[80];
        int32_t freshIcon = -1, icon = -1;
        bool ok = QueryShellTypeName(name.c_str(), freshName, &freshIcon);
        bool found = LookUpTypeName(cache, name.c_str(), &cachedName, &icon);
        bool same = ok == found &&
                    (!ok || (std::strcmp(TextOf(cachedName), freshName) == 0 && icon == freshIcon));
        if (!same) ++differing;
    }
    ReleaseRefString(&cachedName);
    return differing;
}

// The shell asked fresh for every distinct name against the cache a search
// uses: the answers must be the same, in either order of the names.
void ShellFigures(const std::vector<std::string>& rowNames) {
    std::vector<std::string> distinct;
    std::set<std::string> seen;
    for (const std::string& name : rowNames) {
        if (seen.insert(name).second) distinct.push_back(name);
    }
    char typeName[80];
    int32_t icon = 0;
    double start = Now();
    for (const std::string& name : distinct) QueryShellTypeName(name.c_str(), typeName, &icon);
    double fresh = distinct.empty() ? 0 : (Now() - start) / distinct.size();

    TypeNameCache* cache = NewTypeNameCache();
    RefString cachedName = {nullptr};
    start = Now();
    for (const std::string& name : rowNames)
        LookUpTypeName(cache, name.c_str(), &cachedName, &icon);
    double cached = rowNames.empty() ? 0 : (Now() - start) / rowNames.size();
    ReleaseRefString(&cachedName);
    // One query per extension, and one per name asked about on its own.
    size_t alone = 0;
    std::string key;
    char shortName[kShellNameLimit + 1];
    for (const std::string& name : rowNames) {
        if (!ShellExtensionKey(ShellQueryName(name.c_str(), shortName), &key)) ++alone;
    }
    ReportCount("shell_extensions", cache->answers.size());
    ReportCount("shell_queries_per_search", cache->answers.size() + alone);

    // The awkward names and the search's, first after the rows filled the
    // cache, then again into an empty one with the awkward names first.
    std::vector<std::string> compared = AwkwardNames();
    compared.insert(compared.end(), distinct.begin(), distinct.end());
    size_t differing = CountDiffering(cache, compared);
    EmptyTypeNameCache(cache);
    differing += CountDiffering(cache, compared);
    DeleteTypeNameCache(cache);
    ReportCount("shell_rows", rowNames.size());
    ReportCount("shell_names_compared", 2 * compared.size());
    ReportCount("shell_names_differing", differing);
    Report("shell_fresh_us_per_name", fresh * 1e6);
    Report("shell_cached_us_per_row", cached * 1e6);
}

std::string WithBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    std::string data, crafted, huge100k, huge1m, folder = "Inbox\\";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        if (arg == "--data") data = WithBackslash(argv[i + 1]);
        if (arg == "--crafted") crafted = WithBackslash(argv[i + 1]);
        if (arg == "--folder") folder = WithBackslash(argv[i + 1]);
        if (arg == "--huge-100k") huge100k = WithBackslash(argv[i + 1]);
        if (arg == "--huge-1m") huge1m = WithBackslash(argv[i + 1]);
    }
    if (data.empty()) {
        std::fprintf(stderr,
                     "usage: win_bench --data DIR [--folder ID] [--crafted DIR] [--huge-100k DIR]"
                     " [--huge-1m DIR]\n");
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_tickSeconds = 1.0 / static_cast<double>(frequency.QuadPart);
    g_instance = GetModuleHandleA(nullptr);
    DevhostInit();
    DevhostSetDataFolder(data);
    if (!BindHostApi()) {
        std::fprintf(stderr, "win_bench: the host functions did not bind\n");
        return 3;
    }
    InstallHostTiming();
    InstallPeekTiming();

    std::vector<std::string> names;
    WholeSearch(data, folder, &names);
    uint64_t messages = g_split.messages;
    std::fflush(stdout);
    AbortLatency("abort_latency", data, folder, static_cast<int>(messages / 2));
    if (!crafted.empty()) {
        Report("crafted_search_seconds", Search(crafted, "Inbox\\", 0));
        CloseWindow();
        AbortLatency("crafted_abort_latency", crafted, "Inbox\\", 1);
    }
    std::fflush(stdout);
    if (!huge100k.empty()) HugeMessage("huge_100k", huge100k, 50000);
    if (!huge1m.empty()) HugeMessage("huge_1m", huge1m, 100000);
    if (!huge100k.empty()) RepeatedSearches(data, folder);
    std::fflush(stdout);
    // As the rows ask, with a search window open.
    OpenSearchWindow(nullptr);
    ShellFigures(names);
    CloseWindow();
    int outstanding = DevhostOutstandingTexts();
    ReportCount("host_texts_outstanding", static_cast<uint64_t>(outstanding));
    return outstanding == 0 ? 0 : 4;
}
