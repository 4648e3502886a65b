// A host for the byte-level tests: hands out header blocks from a table,
// records every call it receives, and stands in for the results list.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "search/attachment_record.h"
#include "search/search_state.h"

struct FakeHost {
    std::map<std::string, std::string> headers;  // message id -> header block
    std::vector<std::string> calls;              // "GetHeader id", "Free header id", ...
    std::vector<std::string> mimeInputs;
    std::vector<AttachmentRecord*> rows;  // AddResultRow, in call order
    int outstanding = 0;                  // texts handed out and not yet freed
    bool mimeReturnsNull = false;
    bool mimeFillsBuffer = false;
    int drainChecks = 0;       // DrainDuringScan calls
    int stopAtDrainCheck = 0;  // the call that answers "stop"; 0 for none
};

// Resets the fake and points the host table at it.
FakeHost& InstallFakeHost();

// A state as the window makes it, with the fixed shift tables built.
SearchWindowState* NewTestState();
void DeleteTestState(SearchWindowState* state);

// Scans a copy of source as message id in folder "Inbox".
void ScanText(SearchWindowState* state, const std::string& source, const char* id = "m1");

// Field text or "<absent>".
std::string Field(const RefString& s);
