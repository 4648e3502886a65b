// The whole search in one Wine process, with the plug-in's code, its dialogs
// and the stand-in host linked in: time split by stage against reading the
// same files and nothing else; memory over repeated searches; the results
// list's costs against the list control's own work; and the shell's type
// names asked fresh against the per-extension cache. Prints "key value" lines.
//
// usage: win_bench --data DIR [--folder ID] [--repeat N] [--repeat-data DIR]
//                  [--list-rows N] [--list-add-rows N]
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bench/search_timing.h"
#include "devhost/devhost_control.h"
#include "host/host_api.h"
#include "host/plugin_entry.h"
#include "host/plugin_globals.h"
#include "search/attachment_record.h"
#include "search/scanner.h"
#include "search/search_state.h"
#include "ui/resource.h"
#include "ui/result_compare.h"
#include "ui/result_list.h"
#include "ui/shell_type_name.h"
#include "ui/type_name_cache.h"

namespace {

struct Options {
    std::string dataFolder;
    std::string folderId = "Inbox\\";
    std::string repeatFolder;  // the store of the repeated searches; dataFolder if empty
    int repeat = 5;
    int listRows = 20000;
    int listAddRows = 2000;  // rows added with drawing on; the rest with drawing held
};

struct RowTexts {
    std::string fileName, subject, sender, date, folder;
};

void Report(const char* key, double value) {
    std::printf("%s %.6f\n", key, value);
}
void ReportCount(const char* key, uint64_t value) {
    std::printf("%s %llu\n", key, static_cast<unsigned long long>(value));
}

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

// Every message file of the folder and the folders below it, read into one
// reused buffer: what the search cannot do with less.
void ReadFolderFiles(const std::string& directory, std::vector<char>* buffer, uint64_t* bytes,
                     uint64_t* files) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> names, folders;
    do {
        std::string name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != ".." && name[0] != '#') folders.push_back(name);
        } else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0) {
            names.push_back(name);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        HANDLE file = CreateFileA((directory + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD size = GetFileSize(file, nullptr);
        if (buffer->size() < size + 1) buffer->resize(size + 1);
        DWORD got = 0;
        ReadFile(file, buffer->data(), size, &got, nullptr);
        (*buffer)[got] = '\0';
        CloseHandle(file);
        *bytes += got;
        ++*files;
    }
    for (const std::string& folder : folders) {
        ReadFolderFiles(directory + folder + "\\", buffer, bytes, files);
    }
}

double ReadAllFiles(const Options& options, uint64_t* bytes, uint64_t* files) {
    std::vector<char> buffer;
    *bytes = *files = 0;
    double start = NowSeconds();
    ReadFolderFiles(options.dataFolder + options.folderId, &buffer, bytes, files);
    return NowSeconds() - start;
}

HWND OpenWindow() {
    OnSearchCommand(nullptr, 0);
    Pump();
    return g_searchWindow;
}

void CloseWindow() {
    if (g_searchState) Click(g_searchWindow, IDCANCEL);
    Pump();
}

// One search from the search button, as a person starts it; its seconds.
double Search(HWND window) {
    CheckDlgButton(window, IDC_SEARCH_SUBFOLDERS, BST_CHECKED);
    ResetSearchTimes();
    double start = NowSeconds();
    Click(window, IDC_SEARCH);
    double seconds = NowSeconds() - start;
    Pump();
    return seconds;
}

std::string Text(const RefString& value) {
    return value.node ? value.node->text : "";
}

void WholeSearch(const Options& options, std::vector<RowTexts>* rows) {
    uint64_t bytes = 0, files = 0;
    double readFirst = ReadAllFiles(options, &bytes, &files);
    PROCESS_MEMORY_COUNTERS_EX before = Memory();
    HWND window = OpenWindow();
    double total = Search(window);
    SearchTimes times = CurrentSearchTimes();
    PROCESS_MEMORY_COUNTERS_EX during = Memory();
    for (AttachmentRecord* record : g_searchState->results) {
        rows->push_back({Text(record->fileName), Text(record->subject), Text(record->sender),
                         Text(record->date), Text(record->folderName)});
    }
    CloseWindow();
    PROCESS_MEMORY_COUNTERS_EX after = Memory();
    double readSecond = ReadAllFiles(options, &bytes, &files);
    double limit = std::min(readFirst, readSecond);

    ReportCount("search_messages", times.messages);
    ReportCount("search_bytes", times.sourceBytes);
    ReportCount("search_rows", times.rowCount);
    ReportCount("search_header_fetches", times.headerFetches);
    Report("search_seconds", total);
    Report("search_messages_per_second", times.messages / total);
    Report("search_host_io", times.hostIo);
    Report("search_scanning", times.scanning);
    Report("search_header_work", times.headerWork);
    Report("search_rows_seconds", times.rows);
    Report("search_draining", times.draining);
    Report("search_other", times.runSearch - times.hostIo - times.scanning - times.headerWork -
                               times.rows - times.draining);
    // Disabling and enabling windows, the progress window's life.
    Report("search_windows", total - times.runSearch);
    ReportCount("io_files", files);
    ReportCount("io_bytes", bytes);
    Report("io_seconds", limit);
    Report("search_io_ratio", total / limit);
    ReportCount("memory_before_search_ws", before.WorkingSetSize);
    ReportCount("memory_peak_ws", during.PeakWorkingSetSize);
    ReportCount("memory_after_search_private", during.PagefileUsage);
    ReportCount("memory_after_close_ws", after.WorkingSetSize);
    ReportCount("memory_before_private", before.PagefileUsage);
    ReportCount("memory_after_close_private", after.PagefileUsage);
}

// Five searches in a row, each in a freshly opened window that is closed after.
void RepeatedSearches(const Options& options) {
    DevhostSetDataFolder(options.repeatFolder);
    for (int k = 1; k <= options.repeat; ++k) {
        HWND window = OpenWindow();
        double seconds = Search(window);
        size_t rows = g_searchState ? g_searchState->results.size() : 0;
        CloseWindow();
        PROCESS_MEMORY_COUNTERS_EX after = Memory();
        std::printf("repeat_%d_seconds %.6f\nrepeat_%d_rows %zu\n", k, seconds, k, rows);
        std::printf("repeat_%d_private %llu\nrepeat_%d_ws %llu\n", k,
                    static_cast<unsigned long long>(after.PagefileUsage), k,
                    static_cast<unsigned long long>(after.WorkingSetSize));
    }
    DevhostSetDataFolder(options.dataFolder);
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

// The shell asked fresh for every name against the per-extension cache.
void ShellFigures(const std::vector<RowTexts>& rows) {
    std::vector<std::string> distinct;
    std::set<std::string> seen;
    for (const RowTexts& row : rows) {
        if (seen.insert(row.fileName).second) distinct.push_back(row.fileName);
    }
    const size_t sample = std::min<size_t>(distinct.size(), 2000);
    char typeName[80];
    int32_t icon = 0;
    double start = NowSeconds();
    for (size_t k = 0; k < sample; ++k) QueryShellTypeName(distinct[k].c_str(), typeName, &icon);
    double fresh = (NowSeconds() - start) / sample;

    TypeNameCache* cache = NewTypeNameCache();
    RefString cachedName = {nullptr};
    start = NowSeconds();
    for (const RowTexts& row : rows)
        LookUpTypeName(cache, row.fileName.c_str(), &cachedName, &icon);
    double cached = (NowSeconds() - start) / rows.size();
    ReleaseRefString(&cachedName);
    // One query per extension, and one per name asked about on its own.
    size_t alone = 0;
    std::string key;
    char shortName[kShellNameLimit + 1];
    for (const RowTexts& row : rows) {
        if (!ShellExtensionKey(ShellQueryName(row.fileName.c_str(), shortName), &key)) ++alone;
    }
    ReportCount("shell_extensions", cache->answers.size());
    ReportCount("shell_queries_per_search", cache->answers.size() + alone);

    // The awkward names and the sample, first after the rows filled the
    // cache, then again into an empty one with the awkward names first.
    std::vector<std::string> compared = AwkwardNames();
    compared.insert(compared.end(), distinct.begin(), distinct.begin() + sample);
    size_t differing = CountDiffering(cache, compared);
    EmptyTypeNameCache(cache);
    differing += CountDiffering(cache, compared);
    DeleteTypeNameCache(cache);
    ReportCount("shell_names_compared", 2 * compared.size());
    ReportCount("shell_names_differing", differing);
    Report("shell_fresh_us_per_name", fresh * 1e6);
    Report("shell_cached_us_per_name", cached * 1e6);
    Report("shell_fresh_seconds_per_20000", fresh * 20000);
}

// Ranks of each column's ascending order, for the list control's own sort.
std::vector<int> g_rank;
const AttachmentRecord* g_recordBase;

int CALLBACK RankCompare(LPARAM a, LPARAM b, LPARAM) {
    return g_rank[reinterpret_cast<const AttachmentRecord*>(a) - g_recordBase] -
           g_rank[reinterpret_cast<const AttachmentRecord*>(b) - g_recordBase];
}

void SetRanks(std::vector<AttachmentRecord>& records, int column) {
    std::vector<int> order(records.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
    if (column >= 0) {
        ResultComparator compare = ResultComparators[column];
        std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
            return compare(reinterpret_cast<intptr_t>(&records[x]),
                           reinterpret_cast<intptr_t>(&records[y]), 1) < 0;
        });
    }
    g_rank.assign(records.size(), 0);
    for (size_t k = 0; k < order.size(); ++k) g_rank[order[k]] = static_cast<int>(k);
}

void ClickColumn(HWND window, int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = GetDlgItem(window, IDC_RESULT_LIST);
    click.hdr.idFrom = IDC_RESULT_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(window, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
}

// The first count records as rows, by the list control's messages alone.
void InsertRaw(HWND list, std::vector<AttachmentRecord>& records, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        AttachmentRecord& record = records[k];
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(k);
        item.pszText = const_cast<char*>(TextOf(record.fileName));
        item.lParam = reinterpret_cast<LPARAM>(&record);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const RefString* cells[] = {&record.typeName, &record.subject, &record.sender, &record.date,
                                    &record.folderName};
        for (int column = 1; column < 6; ++column) {
            LVITEMA cell = {};
            cell.mask = LVIF_TEXT;
            cell.iItem = static_cast<int>(k);
            cell.iSubItem = column;
            cell.pszText = const_cast<char*>(TextOf(*cells[column - 1]));
            SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&cell));
        }
    }
}

// Adding, sorting and filtering rows through the plug-in against the same
// work done on the list control directly.
void ListFigures(const Options& options, const std::vector<RowTexts>& rows) {
    if (rows.empty()) return;
    std::vector<AttachmentRecord> records(static_cast<size_t>(options.listRows));
    RefString folder = MakeRefString(rows[0].folder.c_str());
    for (size_t k = 0; k < records.size(); ++k) {
        const RowTexts& row = rows[k % rows.size()];
        records[k].fileName = MakeRefString(row.fileName.c_str());
        records[k].subject = MakeRefString(row.subject.c_str());
        records[k].sender = MakeRefString(row.sender.c_str());
        records[k].date = MakeRefString(row.date.c_str());
        records[k].folderName = MakeRefString(row.folder.c_str());
    }
    g_recordBase = records.data();
    HWND window = OpenWindow();
    SearchWindowState* state = g_searchState;
    HWND list = state->listView;
    for (AttachmentRecord& record : records) state->results.push_back(&record);

    // Drawing each row as it comes is the list's main cost under Wine: rows
    // drawn as added are timed on the first listAddRows only, and all rows
    // again with drawing held back; each against the list control alone.
    const size_t timed = static_cast<size_t>(options.listAddRows);
    double start = NowSeconds();
    for (size_t k = 0; k < timed; ++k) AddResultRow(&records[k], state);
    double add = NowSeconds() - start;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    start = NowSeconds();
    InsertRaw(list, records, timed);
    double addRaw = NowSeconds() - start;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    start = NowSeconds();
    InsertRaw(list, records, records.size());
    double addQuiet = NowSeconds() - start;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    start = NowSeconds();
    for (AttachmentRecord& record : records) AddResultRow(&record, state);
    double addAllQuiet = NowSeconds() - start;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ReportCount("list_add_rows", timed);
    Report("list_add_seconds", add);
    Report("list_add_raw_seconds", addRaw);
    Report("list_add_all_raw_no_redraw_seconds", addQuiet);
    Report("list_add_all_no_redraw_seconds", addAllQuiet);

    for (int column = 0; column < 6; ++column) {
        SetRanks(records, column - 1);  // the order the click starts from
        SendMessageA(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(RankCompare));
        state->sortColumn = -1;
        start = NowSeconds();
        ClickColumn(window, column);
        double sort = NowSeconds() - start;

        SetRanks(records, column - 1);
        SendMessageA(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(RankCompare));
        SetRanks(records, column);
        start = NowSeconds();
        SendMessageA(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(RankCompare));
        double sortRaw = NowSeconds() - start;
        std::printf("list_sort_%d_seconds %.6f\nlist_sort_%d_raw_seconds %.6f\n", column, sort,
                    column, sortRaw);
    }

    SetDlgItemTextA(window, IDC_FILTER_TEXT, "pdf");
    start = NowSeconds();
    Click(window, IDC_APPLY_FILTER);
    double filter = NowSeconds() - start;
    int shown = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    Report("list_filter_seconds", filter);
    ReportCount("list_filter_rows", static_cast<uint64_t>(shown));
    ReportCount("list_rows", records.size());

    // The records are this function's: the window must not free them.
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    state->results.clear();
    CloseWindow();
    for (AttachmentRecord& record : records) DestroyAttachmentRecord(&record);
    ReleaseRefString(&folder);
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool more = i + 1 < argc;
        if (arg == "--data" && more) {
            options->dataFolder = argv[++i];
        } else if (arg == "--folder" && more) {
            options->folderId = argv[++i];
        } else if (arg == "--repeat" && more) {
            options->repeat = std::atoi(argv[++i]);
        } else if (arg == "--list-rows" && more) {
            options->listRows = std::atoi(argv[++i]);
        } else if (arg == "--list-add-rows" && more) {
            options->listAddRows = std::atoi(argv[++i]);
        } else if (arg == "--repeat-data" && more) {
            options->repeatFolder = argv[++i];
        } else {
            return false;
        }
    }
    if (options->dataFolder.empty()) return false;
    if (options->dataFolder.back() != '\\') options->dataFolder += '\\';
    if (options->repeatFolder.empty()) options->repeatFolder = options->dataFolder;
    if (options->repeatFolder.back() != '\\') options->repeatFolder += '\\';
    options->listAddRows = std::min(options->listAddRows, options->listRows);
    if (options->folderId.back() != '\\') options->folderId += '\\';
    return options->listRows > 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: win_bench --data DIR [--folder ID] [--repeat N] [--repeat-data DIR] "
                     "[--list-rows N] [--list-add-rows N]\n");
        return 2;
    }
    g_instance = GetModuleHandleA(nullptr);
    DevhostInit();
    DevhostSetDataFolder(options.dataFolder);
    DevhostSetCurrentFolder(options.folderId);
    if (!BindHostApi()) {
        std::fprintf(stderr, "win_bench: the host functions did not bind\n");
        return 3;
    }
    InstallSearchTiming();

    std::vector<RowTexts> rows;
    WholeSearch(options, &rows);
    std::fflush(stdout);
    RepeatedSearches(options);
    std::fflush(stdout);
    ShellFigures(rows);
    std::fflush(stdout);
    ListFigures(options, rows);
    int outstanding = DevhostOutstandingTexts();
    ReportCount("host_texts_outstanding", static_cast<uint64_t>(outstanding));
    return outstanding == 0 ? 0 : 4;
}
