#include "bench/reference_scan.h"

#include <cstdio>
#include <cstring>

#include "host/host_api.h"
#include "search/header_fields.h"
#include "search/mail_date.h"

static bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Leftmost occurrence of pattern in the n bytes of text, or -1.
static int32_t PlainSearch(const char* text, uint32_t n, const char* pattern, uint32_t m) {
    for (uint32_t i = 0; i + m <= n; ++i) {
        if (std::memcmp(text + i, pattern, m) == 0) return static_cast<int32_t>(i);
    }
    return -1;
}

static bool ReferenceRecord(uint32_t message, char* value, uint32_t n, const char* pattern,
                            uint32_t m, std::vector<BenchRow>* rows) {
    int32_t found = PlainSearch(value, n, pattern, m);
    if (found < 0) return false;
    BenchRow row = {message, "\x01", "\x01", "\x01", "\x01", nullptr};
    uint32_t p = static_cast<uint32_t>(found) + m;
    if (value[p] == '"') {
        uint32_t start = ++p;
        while (p < n && value[p] != '"') ++p;
        value[p] = '\0';
        char converted[257];
        converted[256] = '\0';
        const char* name = g_hostApi.BKA_MIMEHeader(value + start, converted, 256, 0);
        if (name) row.fileName = name;
    } else {
        uint32_t start = p;
        while (p<n&& static_cast<unsigned char>(value[p])> 0x20) ++p;
        value[p] = '\0';
        row.fileName = value + start;
    }
    char id[16];
    std::snprintf(id, sizeof id, "%u", message);
    char* header = g_hostApi.BKA_GetHeader(id);
    int32_t subject = -1, sender = -1, date = -1;
    FindHeaderFields(header, &subject, &sender, &date);
    char dateText[256];
    bool haveDate = date != -1 && FormatMailDate(header + date, dateText);
    if (subject != -1) {
        row.subject = header + subject;
        if (sender != -1) row.sender = header + sender;
        if (haveDate) row.date = dateText;
    }
    g_hostApi.BKA_Free(header);
    rows->push_back(row);
    return true;
}

void ReferenceScan(char* source, uint32_t message, std::vector<BenchRow>* rows) {
    uint32_t i = 0, lineStart = 0;
    bool found = false;
    if (source[0] == '\0') return;
    while (source[i] != '\0') {
        if (source[i] == '\r' && source[i + 1] == '\n') {
            char next = source[i + 2];
            if (next != '\t' && next != ' ') {
                char* line = source + lineStart;
                if (found) {
                    if (i == lineStart) found = false;
                } else if (StartsWith(line, "Content-Type:")) {
                    found =
                        ReferenceRecord(message, line + 13, i - lineStart - 13, "name=", 5, rows);
                } else if (StartsWith(line, "Content-Disposition:")) {
                    found = ReferenceRecord(message, line + 20, i - lineStart - 20, "filename=", 9,
                                            rows);
                }
                lineStart = i + 2;
            }
            i += 2;
        } else {
            ++i;
        }
    }
}
