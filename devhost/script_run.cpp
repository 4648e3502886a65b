#include "devhost/script_run.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "devhost/host_quit.h"
#include "devhost/list_cells.h"
#include "devhost/plugin_loader.h"
#include "devhost/screenshot.h"
#include "devhost/tsv_text.h"
#include "ui/resource.h"

namespace {

// Long enough for the search to be under way, short against one huge message.
const UINT kQuitDelay = 200;

std::string AnsiToUtf8(const std::string& text) {
    if (text.empty()) return text;
    int wideLength =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                        wideLength);
    int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

BOOL CALLBACK FindSearchDialog(HWND window, LPARAM found) {
    if (GetWindow(window, GW_OWNER) || !GetDlgItem(window, IDC_RESULT_LIST)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The command message a click on a dialog button sends to its parent.
void ClickButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int HeaderFormat(HWND header, int column) {
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt;
}

bool WriteAll(HANDLE out, const std::string& text) {
    DWORD written = 0;
    return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool WriteTsv(const std::vector<std::vector<std::string>>& rows, const std::string& path) {
    std::string text = TsvLine({"file", "type", "subject", "sender", "date", "folder"});
    for (const std::vector<std::string>& row : rows) {
        std::vector<std::string> utf8;
        for (const std::string& field : row) utf8.push_back(AnsiToUtf8(field));
        text += TsvLine(utf8);
    }
    if (path.empty()) return WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), text);
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(out, text);
    CloseHandle(out);
    return ok;
}

// The widest width a column may keep so that all of them fit into room: the
// narrow columns keep theirs, the wide ones share what is left alike.
int CommonWidthLimit(std::vector<int> widths, int room) {
    std::sort(widths.begin(), widths.end());
    for (size_t i = 0; i < widths.size(); ++i) {
        int share = room / static_cast<int>(widths.size() - i);
        if (widths[i] > share) return share;
        room -= widths[i];
    }
    return widths.empty() ? room : widths.back();
}

// Looks at the results as a user would: the window enlarged within the
// screen and the column dividers dragged out until the cells can be read.
// The widths are the host's doing, as a drag's would be; the plug-in's own
// stay as they are.
void ArrangeForScreenshot(HWND searchWindow) {
    RECT window = {};
    RECT screen = {};
    GetWindowRect(searchWindow, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    int width = std::min(1200, static_cast<int>(screen.right - window.left));
    int height = std::min(700, static_cast<int>(screen.bottom - window.top));
    SetWindowPos(searchWindow, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    HWND list = GetDlgItem(searchWindow, IDC_RESULT_LIST);
    std::vector<int> fitted;
    for (int column = 0; column < 6; ++column) {
        // Sized by its header too, the last column would fill what is left.
        LPARAM fit = column < 5 ? LVSCW_AUTOSIZE_USEHEADER : LVSCW_AUTOSIZE;
        SendMessageA(list, LVM_SETCOLUMNWIDTH, column, fit);
        fitted.push_back(static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)));
    }
    RECT client = {};
    GetClientRect(list, &client);
    int limit = CommonWidthLimit(fitted, client.right);
    for (int column = 0; column < 6; ++column) {
        if (fitted[column] > limit) SendMessageA(list, LVM_SETCOLUMNWIDTH, column, limit);
    }
}

}  // namespace

void PumpMessagesFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds > 0) Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// The open search window of this thread, or null.
static HWND FindSearchWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindSearchDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Clicks a column header of the results list with mouse messages.
static void ClickColumnHeader(HWND searchWindow, int column) {
    HWND list = GetDlgItem(searchWindow, IDC_RESULT_LIST);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT rect = {};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    int before = HeaderFormat(header, column);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(header, WM_LBUTTONUP, 0, point);
    if (HeaderFormat(header, column) != before) return;

    // The header did not turn the mouse into a click: send the notification
    // the list would have sent for it.
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = IDC_RESULT_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(searchWindow, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
}

// Every row of the results list in list order, six ANSI texts each.
static std::vector<std::vector<std::string>> ReadResultRows(HWND searchWindow) {
    HWND list = GetDlgItem(searchWindow, IDC_RESULT_LIST);
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> fields;
        for (int column = 0; column < 6; ++column)
            fields.push_back(ListCellText(list, row, column));
        rows.push_back(fields);
    }
    return rows;
}

// Chosen from the menu, as a person would; null (and said) if no window opened.
static HWND OpenFromMenu(const ScriptOptions& options, HWND mainWindow, int commandId) {
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
    PumpMessagesFor(0);
    HWND search = FindSearchWindow();
    if (!search) {
        fprintf(stderr, "devhost: the plug-in's command opened no search window\n");
        return nullptr;
    }
    CheckDlgButton(search, IDC_SEARCH_SUBFOLDERS, options.subfolders ? BST_CHECKED : BST_UNCHECKED);
    return search;
}

int RunScript(const ScriptOptions& options, HWND mainWindow, int commandId) {
    HWND search = OpenFromMenu(options, mainWindow, commandId);
    if (!search) return 5;
    ClickButton(search, IDC_SEARCH);
    PumpMessagesFor(0);
    if (options.hasFilter) {
        SetDlgItemTextA(search, IDC_FILTER_TEXT, options.filter.c_str());
        ClickButton(search, IDC_APPLY_FILTER);
        PumpMessagesFor(0);
    }
    for (int column : options.sortColumns) {
        ClickColumnHeader(search, column);
        PumpMessagesFor(0);
    }
    int status = 0;
    if (!WriteTsv(ReadResultRows(search), options.tsvPath)) {
        fprintf(stderr, "devhost: cannot write the rows to '%s'\n", options.tsvPath.c_str());
        status = 6;
    }
    if (!options.screenshotPath.empty()) {
        ArrangeForScreenshot(search);
        SetForegroundWindow(search);
        RedrawWindow(search, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
        PumpMessagesFor(500);
        if (!SaveWindowScreenshot(search, options.screenshotPath)) {
            fprintf(stderr, "devhost: cannot save the screenshot '%s'\n",
                    options.screenshotPath.c_str());
            status = 6;
        }
    }
    ClickButton(search, IDCANCEL);
    PumpMessagesFor(0);
    return status;
}

// The about box's own modal loop dispatches the host's quit timer.
static int QuitInAboutBox(HWND mainWindow, HMODULE plugin) {
    ArmHostQuitTimer(kQuitDelay);
    if (!ShowPluginSetup(plugin, mainWindow)) {
        DisarmHostQuitTimer();
        fprintf(stderr, "devhost: the plug-in has no about box\n");
        return 5;
    }
    if (HostQuitStarted()) return 0;
    DisarmHostQuitTimer();
    fprintf(stderr, "devhost: the about box ended before the host's quit timer fired\n");
    return kHostQuitFault;
}

int RunQuitScript(const ScriptOptions& options, HWND mainWindow, int commandId, HMODULE plugin) {
    PrepareHostQuit(plugin, mainWindow);
    bool whileSearching = options.quitHost == "searching";
    int status = 0;
    HWND search = OpenFromMenu(options, mainWindow, commandId);
    if (!search) {
        status = 5;
    } else if (options.quitHost == "about") {
        ClickButton(search, IDC_SEARCH);
        PumpMessagesFor(0);
        status = QuitInAboutBox(mainWindow, plugin);
    } else {
        if (whileSearching) ArmHostQuitTimer(kQuitDelay);
        ClickButton(search, IDC_SEARCH);
        if (whileSearching && !HostQuitStarted()) {
            DisarmHostQuitTimer();
            fprintf(stderr, "devhost: the search ended before the host's quit timer fired\n");
            status = kHostQuitFault;
        } else if (whileSearching && !HostQuitCameInsideMessage()) {
            fprintf(stderr, "devhost: the quit came between two messages\n");
        } else if (!whileSearching) {
            PumpMessagesFor(0);
        }
    }
    if (!HostQuitStarted()) QuitHost();
    return FinishHostQuit(options.quitHost.c_str(), status);
}
