// What the search window shares with the host: the shell's image list, the
// enabled state of the host's window, the host's calls that run its own loop,
// and the window's end, whoever brings it about.
#include <windows.h>
// The controls' and shell's declarations need <windows.h> first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "host/plugin_globals.h"
#include "search/attachment_record.h"
#include "search/search_state.h"
#include "tests/win/linker_wrap.h"
#include "tests/win/mail_store_support.h"
#include "tests/win/ui_window_support.h"
#include "ui/resource.h"
#include "ui/search_window.h"

namespace {

class HostSharingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareUiHost();
        DevhostReset();
        store = MakeMailStore(
            {{"Inbox\\", "001.eml", MessageWithAttachments("one", {"a.pdf", "b.txt"})},
             {"Inbox\\", "002.eml", MessageWithAttachments("two", {"c.pdf", "d.txt"})}});
        DevhostSetDataFolder(store);
        DevhostSetCurrentFolder("Inbox\\");
    }
    void TearDown() override {
        DevhostDuringSetCurrentMail(nullptr);
        CloseSearchWindowIfOpen();
        RemoveTempMailStore(store);
    }
    std::string store;
};

void ExpectSearchUnwound() {
    DevhostCounters counters = DevhostGetCounters();
    EXPECT_EQ(counters.sourcesHandedOut, counters.sourcesFreed);
    EXPECT_EQ(counters.headersHandedOut, counters.headersFreed);
    EXPECT_EQ(DevhostCurrentFolder(), "Inbox\\");
}

// A list that owns its image lists destroys them with itself; the system
// list is the host's, and its own windows and file dialogs draw from it.
TEST_F(HostSharingTest, TheListBorrowsTheSystemImageListAndLeavesItAlive) {
    SHFILEINFOA info = {};
    HIMAGELIST system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    ASSERT_NE(system, nullptr);
    for (int opening = 0; opening < 2; ++opening) {
        OpenFromMenu();
        EXPECT_TRUE(GetWindowLongA(ResultList(), GWL_STYLE) & LVS_SHAREIMAGELISTS);
        EXPECT_EQ(SendMessageA(ResultList(), LVM_GETIMAGELIST, LVSIL_SMALL, 0),
                  reinterpret_cast<LRESULT>(system));
        CloseSearchWindowIfOpen();
    }
    EXPECT_GT(ImageList_GetImageCount(system), 0);
}

// A host window that a dialog of the host had disabled stays disabled, and
// an enabled one is enabled again.
TEST_F(HostSharingTest, TheSearchGivesTheWindowsBackTheirEnabledState) {
    HWND mainWindow = MakeHostMainWindow();
    HWND dialog = OpenFromMenu(mainWindow);
    for (BOOL enabled : {FALSE, TRUE}) {
        EnableWindow(mainWindow, enabled);
        ClickButton(dialog, IDC_SEARCH);
        EXPECT_EQ(RowCount(), 4);
        EXPECT_EQ(IsWindowEnabled(mainWindow), enabled);
        EXPECT_TRUE(IsWindowEnabled(dialog));
    }
    CloseSearchWindowIfOpen();
    DestroyWindow(mainWindow);
}

// The host's exit as a host brings it: the exported callback, found by name
// (this program exports it as the plug-in does).
void HostExit() {
    using ExitFn = int(WINAPI*)();
    auto onExit = reinterpret_cast<ExitFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "BKC_OnExit")));
    ASSERT_NE(onExit, nullptr);
    onExit();
}

// A window of the host's own that, when the search's drain delivers the
// message posted to it, destroys the search window or plays the host's exit.
enum { kDestroySearchWindow = WM_APP, kHostExit, kHostModalEnds };
size_t g_foldersSetBeforeExit;  // the host's folder changes until its exit
HHOOK g_keysHookAfterExit;      // the window's, while the search still unwinds
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDestroySearchWindow) DestroyWindow(g_searchWindow);
    if (message == kHostExit) {
        g_foldersSetBeforeExit = DevhostSetCurrentFolderLog().size();
        HostExit();
        g_keysHookAfterExit = g_searchState->keyHook;
    }
    if (message == kHostModalEnds) EnableWindow(g_hostMainWindow, TRUE);  // as its EndDialog does
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND g_hostWindow;
UINT g_hostMessage;
LRESULT CALLBACK PostWhenProgressAppears(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (g_searchWindow && create->hwndParent == g_searchWindow && !(create->style & WS_CHILD))
            PostMessageA(g_hostWindow, g_hostMessage, 0, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Clicks search with the message posted to the host's window as soon as the
// progress window appears: it arrives at the search's first drain.
void SearchWithHostMessage(HWND dialog, UINT message) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.lpszClassName = "QuenfoldTestHost";
    RegisterClassA(&windowClass);
    g_hostWindow = CreateWindowA("QuenfoldTestHost", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
    g_hostMessage = message;
    HHOOK hook = SetWindowsHookExA(WH_CBT, PostWhenProgressAppears, nullptr, GetCurrentThreadId());
    ClickButton(dialog, IDC_SEARCH);
    UnhookWindowsHookEx(hook);
    DestroyWindow(g_hostWindow);
}

// A modal dialog of the host, up when the search began, ends during it: the
// host's window stays enabled, as the dialog's end left it.
TEST_F(HostSharingTest, AHostModalThatEndsDuringTheSearchLeavesTheHostEnabled) {
    HWND mainWindow = MakeHostMainWindow();
    HWND dialog = OpenFromMenu(mainWindow);
    EnableWindow(mainWindow, FALSE);
    SearchWithHostMessage(dialog, kHostModalEnds);
    EXPECT_EQ(RowCount(), 4);
    EXPECT_TRUE(IsWindowEnabled(mainWindow));
    EXPECT_TRUE(IsWindowEnabled(dialog));
    CloseSearchWindowIfOpen();
    DestroyWindow(mainWindow);
}

// Destroyed by the host rather than by its close button, idle or in the
// middle of a search, the window takes its state and records with it, and
// the command opens a fresh window afterwards.
TEST_F(HostSharingTest, AWindowDestroyedFromOutsideTakesItsStateWithIt) {
    HWND dialog = OpenFromMenu();
    ClickButton(dialog, IDC_SEARCH);
    ASSERT_EQ(RowCount(), 4);
    HHOOK keys = g_searchState->keyHook;
    DestroyWindow(dialog);
    EXPECT_EQ(g_searchState, nullptr);
    EXPECT_EQ(g_searchWindow, nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(keys));

    HWND mainWindow = MakeHostMainWindow();
    dialog = OpenFromMenu(mainWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(RowCount(), 0);
    SearchWithHostMessage(dialog, kDestroySearchWindow);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(g_searchState, nullptr);
    EXPECT_EQ(g_searchWindow, nullptr);
    EXPECT_TRUE(IsWindowEnabled(mainWindow));
    ExpectSearchUnwound();

    dialog = OpenFromMenu(mainWindow);
    ClickButton(dialog, IDC_SEARCH);
    EXPECT_EQ(RowCount(), 4);
    DestroyWindow(mainWindow);
}

// The host's exit closes an idle window at once; during a search it stops
// the search, which closes the window when it has unwound.
TEST_F(HostSharingTest, TheHostsExitClosesTheWindowNowOrWhenTheSearchHasUnwound) {
    HWND dialog = OpenFromMenu();
    ClickButton(dialog, IDC_SEARCH);
    HostExit();
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(g_searchState, nullptr);

    dialog = OpenFromMenu();
    HHOOK keys = g_searchState->keyHook;
    g_keysHookAfterExit = keys;
    SearchWithHostMessage(dialog, kHostExit);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(g_searchState, nullptr);
    // The keys' hook went at the exit itself, not with the window after it.
    EXPECT_EQ(g_keysHookAfterExit, nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(keys));
    ExpectSearchUnwound();
    // The search still unwinding makes no folder current in a host that has gone.
    EXPECT_EQ(DevhostSetCurrentFolderLog().size(), g_foldersSetBeforeExit);
    EXPECT_NE(OpenFromMenu(), nullptr);
}

// The host runs its own loop inside the call that shows a message, and a
// search started there frees the records; the id it was handed stays whole.
void SearchAgainAndReuseTheMemory() {
    ClickButton(g_searchWindow, IDC_SEARCH);
    std::vector<std::vector<char>> filler(256, std::vector<char>(sizeof "Inbox\\002.eml", 'X'));
}

// A search, then a double-click on the row, with the work run inside the
// host's call that shows the message.
void DoubleClickRowWithHostLoop(HWND dialog, int row, void (*work)()) {
    ClickButton(dialog, IDC_SEARCH);
    LVITEMA select = {};
    select.stateMask = select.state = LVIS_SELECTED;
    SendMessageA(ResultList(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
    DevhostDuringSetCurrentMail(work);
    NMHDR click = {ResultList(), IDC_RESULT_LIST, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(dialog, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
}

TEST_F(HostSharingTest, TheIdHandedToTheHostOutlivesASearchInsideItsLoop) {
    HWND dialog = OpenFromMenu();
    DoubleClickRowWithHostLoop(dialog, 2, SearchAgainAndReuseTheMemory);
    EXPECT_EQ(DevhostSetCurrentMailLog(), (std::vector<std::string>{"Inbox\\002.eml"}));
    EXPECT_EQ(RowCount(), 4);
}

// The host's exit inside that call: the window goes at once, its state once
// the call has returned into the plug-in.
void ExitInsideTheHostsLoop() {
    HostExit();
    EXPECT_NE(g_searchState, nullptr);  // still held by the call under way
}

TEST_F(HostSharingTest, TheHostsExitInsideItsLoopFreesTheStateWhenTheCallReturns) {
    HWND dialog = OpenFromMenu();
    DoubleClickRowWithHostLoop(dialog, 0, ExitInsideTheHostsLoop);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(g_searchState, nullptr);
    EXPECT_EQ(g_searchWindow, nullptr);
    EXPECT_NE(OpenFromMenu(), nullptr);
}

WNDPROC g_searchDialogProc;
LRESULT CALLBACK ExitOnContextMenu(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CONTEXTMENU)
        return CallWindowProcA(g_searchDialogProc, dialog, message, wParam, lParam);
    ExitInsideTheHostsLoop();
    return 0;
}

// The list's own loops (a scroll bar's drag, a context menu it passes to the
// dialog) run the host's messages too: an exit there frees the state only
// when the list has returned into the plug-in.
TEST_F(HostSharingTest, TheHostsExitInsideTheListsOwnLoopFreesTheStateWhenTheListReturns) {
    HWND dialog = OpenFromMenu();
    HWND list = ResultList(dialog);
    g_searchDialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ExitOnContextMenu)));
    SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(5, 5));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(g_searchState, nullptr);
}

// The n-th row's append runs out of memory (-1: none does).
int g_appendsLeft = -1;

// The list's own failure ends the search as running out of memory does: no
// record stays without its row, so a filter shows no row the search did not.
TEST_F(HostSharingTest, AFailedRowAppendEndsTheSearchWithoutAnUnshownRecord) {
    HWND dialog = OpenFromMenu();
    g_appendsLeft = 2;
    ClickButton(dialog, IDC_SEARCH);
    g_appendsLeft = -1;
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a.pdf", "b.txt"}));
    EXPECT_EQ(g_searchState->results.size(), 2u);
    EXPECT_EQ(g_searchState->idle, 1);
    EXPECT_TRUE(IsWindowEnabled(dialog));
    ExpectSearchUnwound();
    ApplyFilterText("");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a.pdf", "b.txt"}));
}

}  // namespace

void RealAppendShownRow(SearchWindowState*, AttachmentRecord*, int32_t)
    QF_REAL("_Z14AppendShownRowP17SearchWindowStateP16AttachmentRecordi");
void WrappedAppendShownRow(SearchWindowState*, AttachmentRecord*, int32_t)
    QF_WRAPPED("_Z14AppendShownRowP17SearchWindowStateP16AttachmentRecordi");
void WrappedAppendShownRow(SearchWindowState* state, AttachmentRecord* record, int32_t icon) {
    if (g_appendsLeft >= 0 && g_appendsLeft-- == 0) throw std::bad_alloc();
    RealAppendShownRow(state, record, icon);
}
