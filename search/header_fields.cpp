#include "search/header_fields.h"

#include "search/line_scan.h"
#include "search/ref_string.h"

static void TakeValue(char* header, int32_t lineStart, int32_t nameLength, int32_t cr,
                      int32_t* position) {
    int32_t value = lineStart + nameLength;
    while (value < cr && static_cast<unsigned char>(header[value]) <= 0x20) ++value;
    header[cr] = '\0';
    *position = value;
}

static void ExamineLine(char* header, int32_t lineStart, int32_t cr, int32_t* subjectPos,
                        int32_t* senderPos, int32_t* datePos) {
    const char* line = header + lineStart;
    if (HasPrefix(line, "From:")) {
        TakeValue(header, lineStart, 5, cr, senderPos);
    } else if (HasPrefix(line, "Subject:")) {
        TakeValue(header, lineStart, 8, cr, subjectPos);
    } else if (HasPrefix(line, "Date:")) {
        TakeValue(header, lineStart, 5, cr, datePos);
    }
}

void FindHeaderFields(char* header, int32_t* subjectPos, int32_t* senderPos, int32_t* datePos) {
    int32_t lineStart = 0;
    const char* p = header;
    for (;;) {
        p = FindCrOrNul(p);
        if (*p == '\0') return;
        if (p[1] == '\n') {
            int32_t cr = static_cast<int32_t>(p - header);
            ExamineLine(header, lineStart, cr, subjectPos, senderPos, datePos);
            p += 2;
            lineStart = static_cast<int32_t>(p - header);
        } else {
            ++p;
        }
    }
}
