// Drives the plug-in's windows inside a test program the way the host and a
// person would: open from the menu command, click, read the list back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct AttachmentRecord;
struct SearchWindowState;

// Binds the stand-in host linked into the test program and loads the dialogs
// from the program itself. Call once per process (idempotent).
void PrepareUiHost();

// A temporary mail store with the given messages (file name, source) in their
// folders' directories; RemoveTempMailStore removes it.
struct StoreMessage {
    std::string folderId;  // "Inbox\\"
    std::string fileName;  // "001.eml"
    std::string source;
};
std::string MakeMailStore(const std::vector<StoreMessage>& messages);
// A message with one attachment per name (Content-Disposition filename=).
std::string MessageWithAttachments(const std::string& subject,
                                   const std::vector<std::string>& fileNames);

// The folder of this test program, with its last backslash; the plug-in's
// DLLs and devhost are built beside it.
std::string ProgramFolder();

HWND MakeHostMainWindow();                         // a stand-in for the host's main window
HWND OpenFromMenu(HWND hostMainWindow = nullptr);  // the registered command's callback
void ClickButton(HWND dialog, int id);             // WM_COMMAND with BN_CLICKED, sent
void PumpMessages();
void CloseSearchWindowIfOpen();

// Appends a record with the given texts (null: absent) to the open window's
// results and shows it, as the scanner does.
AttachmentRecord* AddTestRecord(const char* fileName, const char* subject = "s",
                                const char* sender = "f", const char* date = "2026/01/01 00:00:00",
                                const char* folderName = "Inbox");

// These read and click the open search window; the overloads taking a
// window do the same to any search window, such as one of another copy of
// the plug-in.
HWND ResultList();
HWND ResultList(HWND dialog);
int RowCount();
int RowCount(HWND dialog);
std::string CellText(int row, int column);
std::vector<std::string> Column(int column);
std::vector<std::string> Column(HWND dialog, int column);
int HeaderFormat(int column);
void ClickColumn(int column);  // the header's LVN_COLUMNCLICK, as the list sends it
void ClickColumn(HWND dialog, int column);
void ApplyFilterText(const std::string& text);  // types the text and clicks apply
