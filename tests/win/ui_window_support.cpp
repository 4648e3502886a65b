#include "tests/win/ui_window_support.h"

#include <commctrl.h>

#include "devhost/devhost_control.h"
#include "devhost/list_cells.h"
#include "host/host_api.h"
#include "host/plugin_entry.h"
#include "host/plugin_globals.h"
#include "search/attachment_record.h"
#include "search/scanner.h"
#include "search/search_state.h"
#include "tests/win/mail_store_support.h"
#include "ui/resource.h"

void PrepareUiHost() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    g_instance = GetModuleHandleA(nullptr);
    DevhostInit();
    BindHostApi();
}

std::string MakeMailStore(const std::vector<StoreMessage>& messages) {
    std::string store = MakeTempMailStore();
    for (const StoreMessage& message : messages) {
        WriteMessage(store, message.folderId, message.fileName, message.source);
    }
    return store;
}

std::string MessageWithAttachments(const std::string& subject,
                                   const std::vector<std::string>& fileNames) {
    std::string source = "From: sender@example.com\r\nSubject: " + subject +
                         "\r\nDate: Mon, 7 Dec 2026 10:00:00 +0900\r\nMIME-Version: 1.0\r\n"
                         "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
    for (const std::string& name : fileNames) {
        source +=
            "--b\r\nContent-Type: application/octet-stream\r\n"
            "Content-Disposition: attachment; filename=" +
            name + "\r\n\r\nAAAA\r\n";
    }
    return source + "--b--\r\n";
}

HWND OpenFromMenu(HWND hostMainWindow) {
    PrepareUiHost();
    OnSearchCommand(hostMainWindow, 0);
    return g_searchWindow;
}

HWND MakeHostMainWindow() {
    return CreateWindowA("STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                         nullptr, nullptr);
}

void ClickButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CloseSearchWindowIfOpen() {
    if (g_searchState) ClickButton(g_searchWindow, IDCANCEL);
    PumpMessages();
}

AttachmentRecord* AddTestRecord(const char* fileName, const char* subject, const char* sender,
                                const char* date, const char* folderName) {
    AttachmentRecord* record = NewAttachmentRecord();
    record->fileName = MakeRefString(fileName);
    record->subject = MakeRefString(subject);
    record->sender = MakeRefString(sender);
    record->date = MakeRefString(date);
    record->folderName = MakeRefString(folderName);
    record->messageId =
        MakeRefString((std::string("Inbox\\") + (fileName ? fileName : "")).c_str());
    g_searchState->results.push_back(record);
    AddResultRow(record, g_searchState);
    return record;
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\') + 1);
}

HWND ResultList() {
    return ResultList(g_searchWindow);
}

HWND ResultList(HWND dialog) {
    return GetDlgItem(dialog, IDC_RESULT_LIST);
}

int RowCount() {
    return RowCount(g_searchWindow);
}

int RowCount(HWND dialog) {
    return static_cast<int>(SendMessageA(ResultList(dialog), LVM_GETITEMCOUNT, 0, 0));
}

std::string CellText(int row, int column) {
    return ListCellText(ResultList(), row, column);
}

std::vector<std::string> Column(int column) {
    return Column(g_searchWindow, column);
}

std::vector<std::string> Column(HWND dialog, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < RowCount(dialog); ++row)
        texts.push_back(ListCellText(ResultList(dialog), row, column));
    return texts;
}

int HeaderFormat(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(ResultList(), LVM_GETHEADER, 0, 0));
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt;
}

void ClickColumn(int column) {
    ClickColumn(g_searchWindow, column);
}

void ClickColumn(HWND dialog, int column) {
    NMLISTVIEW notification = {};
    notification.hdr.hwndFrom = ResultList(dialog);
    notification.hdr.idFrom = IDC_RESULT_LIST;
    notification.hdr.code = LVN_COLUMNCLICK;
    notification.iItem = -1;
    notification.iSubItem = column;
    SendMessageA(dialog, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&notification));
}

static void SetFilterText(const std::string& text) {
    SetDlgItemTextA(g_searchWindow, IDC_FILTER_TEXT, text.c_str());
}

void ApplyFilterText(const std::string& text) {
    SetFilterText(text);
    ClickButton(g_searchWindow, IDC_APPLY_FILTER);
}
