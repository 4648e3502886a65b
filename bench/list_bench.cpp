// The results list's big moments through a plug-in DLL loaded as the host
// loads it: a search that fills the list, sorts both ways, a filter that
// shows nothing (its clear), a new search of an empty folder (its clear) and
// the close, each timed from the click until the queue is empty again. The
// stand-in host is linked in; the DLL is named on the command line, so one
// program times the DLL of two commits. Prints "key value" lines keyed by
// the rows of the store: list_N_search, list_N_sort_up, ... With --keys, only
// the search, the keys and clicks that move the selection (near the top, and
// through the whole list), and the close.
//
// usage: list_bench --dll PATH --data DIR [--keys]
// DIR holds Inbox\ (one message with N attachments) and Empty\ (no message).
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "devhost/common_controls.h"
#include "devhost/devhost_control.h"
#include "devhost/list_cells.h"
#include "ui/resource.h"

namespace {

typedef int(WINAPI* MenuInitFn)(HWND, HMENU, int);

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ClickHeader(HWND dialog, int column) {
    NMLISTVIEW click = {};
    click.hdr = {GetDlgItem(dialog, IDC_RESULT_LIST), IDC_RESULT_LIST,
                 static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(dialog, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
}

// The step's time until everything it left in the queue (the list's paint
// among it) has been handled.
template <typename Step>
double Timed(Step step) {
    double start = Now();
    step();
    Pump();
    return Now() - start;
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PagefileUsage;  // what Wine fills in for private bytes
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// What moving the selection costs with a row selected: the mean wall and
// process CPU time of ten Down keys, one End and Home each, ten clicks on
// another row and three letters that find nothing, each until the queue is
// empty, its paint included.
template <typename Report>
void TimeSelectionMoves(HWND dialog, Report report) {
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    SetFocus(list);
    LVITEMA select = {};
    select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    Pump();
    auto timeMoves = [&](const char* what, int count, auto move) {
        double wall = 0, cpu = CpuSeconds();
        for (int k = 0; k < count; ++k) wall += Timed([&] { move(k); });
        report(what, wall / count);
        double used = CpuSeconds() - cpu;  // the clock ticks coarsely
        report((std::string(what) + "_cpu").c_str(), used > 0 ? used / count : 0.0);
    };
    auto key = [&](WPARAM vk) { SendMessageA(list, WM_KEYDOWN, vk, 1); };
    timeMoves("key", 12, [&](int k) { key(k == 10 ? VK_END : k == 11 ? VK_HOME : VK_DOWN); });
    timeMoves("click", 10, [&](int k) { ClickListRow(list, k % 2 ? 1 : 3); });
    // Type-to-find for a letter that begins no name: every row is looked at.
    timeMoves("letter", 3, [&](int) { SendMessageA(list, WM_CHAR, 'z', 1); });
}

// A key should cost as much deep in the list as at the top. Ten rounds from
// row 0: twenty Down keys, End, Page Up and Page Down at the bottom, ten Up
// keys from the last row, a letter that finds nothing and a click on another
// row there, and Home. Each kind: the median of its keys until painted, and
// the process's CPU a key over all rounds (the clock ticks by 10 ms).
template <typename Report>
void TimeKeysDeepInTheList(HWND dialog, Report report) {
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const char* const kinds[] = {"down_from_top",     "end",
                                 "page_up_at_bottom", "page_down_at_bottom",
                                 "up_from_bottom",    "letter_at_bottom",
                                 "click_at_bottom",   "home_from_bottom"};
    const int kindCount = sizeof kinds / sizeof kinds[0];
    std::vector<double> walls[kindCount];
    double cpu[kindCount] = {};
    auto timed = [&](int kind, auto move) {
        double before = CpuSeconds();
        walls[kind].push_back(Timed(move));
        cpu[kind] += CpuSeconds() - before;
    };
    auto key = [&](WPARAM vk) { return [list, vk] { SendMessageA(list, WM_KEYDOWN, vk, 1); }; };
    Timed(key(VK_HOME));
    for (int round = 0; round < 10; ++round) {
        for (int k = 0; k < 20; ++k) timed(0, key(VK_DOWN));
        timed(1, key(VK_END));
        timed(2, key(VK_PRIOR));
        timed(3, key(VK_NEXT));
        for (int k = 0; k < 10; ++k) timed(4, key(VK_UP));
        timed(5, [&] { SendMessageA(list, WM_CHAR, 'z', 1); });
        timed(6, [&] { ClickListRow(list, rows - 10); });  // below the selected row, in view
        timed(7, key(VK_HOME));
    }
    for (int kind = 0; kind < kindCount; ++kind) {
        std::vector<double>& wall = walls[kind];
        std::sort(wall.begin(), wall.end());
        report(kinds[kind], wall[wall.size() / 2]);
        report((std::string(kinds[kind]) + "_cpu").c_str(), cpu[kind] / wall.size());
    }
}

int Rows(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_RESULT_LIST, LVM_GETITEMCOUNT, 0, 0));
}

}  // namespace

int main(int argc, char** argv) {
    std::string dll, data;
    bool keysOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--keys") keysOnly = true;
        if (name == "--dll" && i + 1 < argc) dll = argv[++i];
        if (name == "--data" && i + 1 < argc) data = argv[++i];
    }
    if (dll.empty() || data.empty()) {
        std::fprintf(stderr, "usage: list_bench --dll PATH --data DIR [--keys]\n");
        return 2;
    }
    if (CommonControlsWanted(6) == 6) ActivateCommonControls6();
    DevhostInit();
    DevhostReset();
    DevhostSetDataFolder(data);
    DevhostSetCurrentFolder("Inbox\\");
    HWND host = CreateWindowA("STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
    HMODULE plugin = LoadLibraryA(dll.c_str());
    if (!plugin) {
        std::fprintf(stderr, "list_bench: %s did not load (%lu)\n", dll.c_str(), GetLastError());
        return 1;
    }
    HMENU bar = CreateMenu();
    for (int i = 0; i < 5; ++i)
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "menu");
    reinterpret_cast<MenuInitFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "BKC_OnMenuInit")))(
        nullptr, bar, 0);
    if (DevhostCommandIds().empty()) return 1;
    int command = DevhostCommandIds().back();

    SIZE_T privateBefore = PrivateBytes();
    HWND dialog = reinterpret_cast<HWND>(static_cast<intptr_t>(DevhostRunCommand(command, host)));
    if (!dialog) return 1;
    CheckDlgButton(dialog, IDC_SEARCH_SUBFOLDERS, BST_UNCHECKED);
    double search = Timed([&] { Click(dialog, IDC_SEARCH); });
    int rows = Rows(dialog);
    SIZE_T privateFull = PrivateBytes();
    std::string key = "list_" + std::to_string(rows) + "_";
    auto report = [&](const char* what, double value) {
        std::printf("%s%s %.6f\n", key.c_str(), what, value);
    };
    report("search", search);
    if (keysOnly) {
        TimeSelectionMoves(dialog, report);
        TimeKeysDeepInTheList(dialog, report);
        Click(dialog, IDCANCEL);
        Pump();
        FreeLibrary(plugin);
        return 0;
    }
    report("private_per_row", rows ? static_cast<double>(privateFull - privateBefore) / rows : 0.0);
    report("sort_up", Timed([&] { ClickHeader(dialog, 0); }));
    report("sort_down", Timed([&] { ClickHeader(dialog, 0); }));
    report("read_cells", Timed([&] {
               HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
               char text[1024];
               for (int row = 0; row < rows; ++row) {
                   for (int column = 0; column < 6; ++column) {
                       LVITEMA item = {};
                       item.iSubItem = column;
                       item.pszText = text;
                       item.cchTextMax = sizeof text;
                       SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
                   }
               }
           }));
    SetDlgItemTextA(dialog, IDC_FILTER_TEXT, "no row has this");
    report("filter_clear", Timed([&] { Click(dialog, IDC_APPLY_FILTER); }));
    SetDlgItemTextA(dialog, IDC_FILTER_TEXT, "");
    report("filter_all", Timed([&] { Click(dialog, IDC_APPLY_FILTER); }));
    DevhostSetCurrentFolder("Empty\\");
    report("search_clear", Timed([&] { Click(dialog, IDC_SEARCH); }));
    // The same search with nothing to clear: what the clear adds is the difference.
    report("search_empty", Timed([&] { Click(dialog, IDC_SEARCH); }));
    DevhostSetCurrentFolder("Inbox\\");
    Timed([&] { Click(dialog, IDC_SEARCH); });
    report("close", Timed([&] { Click(dialog, IDCANCEL); }));
    if (IsWindow(dialog)) std::fprintf(stderr, "list_bench: the window stayed\n");
    FreeLibrary(plugin);
    return 0;
}
