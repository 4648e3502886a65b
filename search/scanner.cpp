#include "search/scanner.h"

#include "host/host_api.h"
#include "search/header_fields.h"
#include "search/line_scan.h"
#include "search/mail_date.h"
#include "search/search_state.h"

// Subject, sender and date of the message, from one fetch of its header block.
static void FetchHeaderFields(const RefString* messageId, MessageHeaderFields* header) {
    header->fetched = true;
    char* block = g_hostApi.BKA_GetHeader(TextOf(*messageId));
    if (!block) return;  // a host that has no header leaves the fields absent
    int32_t subjectPos = -1, senderPos = -1, datePos = -1;
    FindHeaderFields(block, &subjectPos, &senderPos, &datePos);
    char date[256];
    bool haveDate = datePos != -1 && FormatMailDate(block + datePos, date);
    try {
        if (subjectPos != -1) {
            AssignText(&header->subject, block + subjectPos);
            if (senderPos != -1) AssignText(&header->sender, block + senderPos);
            if (haveDate) AssignText(&header->date, date);
        }
    } catch (...) {
        g_hostApi.BKA_Free(block);  // out of memory: the host's text goes back all the same
        throw;
    }
    g_hostApi.BKA_Free(block);
}

static void ReleaseHeaderFields(MessageHeaderFields* header) {
    ReleaseRefString(&header->subject);
    ReleaseRefString(&header->sender);
    ReleaseRefString(&header->date);
}

static bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// The name after the pattern: quoted names go through the host's conversion,
// unquoted ones are taken as raw bytes up to the first blank.
static void TakeFileName(char* value, uint32_t p, uint32_t n, AttachmentRecord* record) {
    if (value[p] == '"') {
        uint32_t start = ++p;
        while (p < n && value[p] != '"') ++p;
        value[p] = '\0';
        // One byte more than the host is told of, so that a host that fills
        // the whole buffer without a NUL still leaves a terminated text.
        char converted[257];
        converted[256] = '\0';
        const char* name = g_hostApi.BKA_MIMEHeader(value + start, converted, 256, 0);
        AssignText(&record->fileName, name);
    } else {
        uint32_t start = p;
        while (p < n && !IsBlankByte(value[p])) ++p;
        value[p] = '\0';
        AssignText(&record->fileName, value + start);
    }
}

bool RecordAttachment(const RefString* messageId, SearchWindowState* state,
                      const RefString* folderName, char* value, uint32_t n, const char* pattern,
                      uint32_t m, const QuickSearchTable* table, MessageHeaderFields* header) {
    int32_t found = QuickSearch(n, m, pattern, value, table);
    if (found == -1) return false;

    AttachmentRecord* record = nullptr;
    try {
        record = NewAttachmentRecord();
        AssignShared(&record->messageId, messageId);
        TakeFileName(value, static_cast<uint32_t>(found) + m, n, record);
        if (!header->fetched) FetchHeaderFields(messageId, header);
        AssignShared(&record->subject, &header->subject);
        AssignShared(&record->sender, &header->sender);
        AssignShared(&record->date, &header->date);
        AssignShared(&record->folderName, folderName);
        state->results.push_back(record);
        AddResultRow(record, state);
    } catch (...) {
        // Out of memory ends the scan of the message: the half-made record
        // goes, and so do the header fields, since unwinding passes
        // ScanMessageSource's own release of them.
        if (record) {
            if (!state->results.empty() && state->results.back() == record) {
                state->results.pop_back();
            }
            DeleteAttachmentRecord(record);
        }
        ReleaseHeaderFields(header);
        *header = MessageHeaderFields{true, {nullptr}, {nullptr}, {nullptr}};
        throw;
    }
    return true;
}

// A huge message must not hold the host's thread, so the scan asks the
// driver to drain every so often. Asking is counted in work, not time: a
// record (list row, host calls) weighs as much as 64 lines, and messages of a
// few records are never interrupted.
enum { kLineWork = 1, kRecordWork = 64, kWorkBetweenDrains = 4096 };

struct ScanContext {
    SearchWindowState* state;
    const RefString* folderName;
    const RefString* messageId;
    MessageHeaderFields header;
    bool found;     // a record was made in the current header block
    uint32_t work;  // since the driver was last asked to drain
};

static void HandleLine(ScanContext* scan, char* source, uint32_t lineStart, uint32_t cr) {
    scan->work += kLineWork;
    if (scan->found) {
        if (cr == lineStart) scan->found = false;
        return;
    }
    char* line = source + lineStart;
    if (!HasPrefix(line, "Content-")) return;
    bool recorded = false;
    if (HasPrefix(line + 8, "Type:")) {
        recorded =
            RecordAttachment(scan->messageId, scan->state, scan->folderName, line + 13,
                             cr - lineStart - 13, "name=", 5, &NameShiftTable, &scan->header);
    } else if (HasPrefix(line + 8, "Disposition:")) {
        recorded = RecordAttachment(scan->messageId, scan->state, scan->folderName, line + 20,
                                    cr - lineStart - 20, "filename=", 9, &FilenameShiftTable,
                                    &scan->header);
    }
    if (recorded) {
        scan->found = true;
        scan->work += kRecordWork;
    }
}

void ScanMessageSource(char* source, SearchWindowState* state, const RefString* folderName,
                       const RefString* messageId) {
    ScanContext scan = {state, folderName, messageId, {false, {nullptr}, {nullptr}, {nullptr}},
                        false, 0};
    uint32_t lineStart = 0;
    char* p = source;
    for (;;) {
        p = const_cast<char*>(FindCrOrNul(p));
        if (*p == '\0') break;
        if (p[1] != '\n') {
            ++p;
            continue;
        }
        if (p[2] != '\t' && p[2] != ' ') {
            uint32_t cr = static_cast<uint32_t>(p - source);
            HandleLine(&scan, source, lineStart, cr);
            lineStart = cr + 2;
            if (scan.work >= kWorkBetweenDrains) {
                scan.work = 0;
                if (!DrainDuringScan(state)) break;  // aborted: the rest is not scanned
            }
        }
        p += 2;
    }
    ReleaseHeaderFields(&scan.header);
}
