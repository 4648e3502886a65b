// The results list's columns: what each shows and how it sorts, in one table.
#pragma once

#include <cstdint>

#include "search/attachment_record.h"

enum { kResultColumnCount = 6 };

struct ResultColumn {
    const char* headerText;              // Shift-JIS
    int32_t widthShare;                  // percent of the usable list width
    RefString AttachmentRecord::*field;  // the cell's text and the sort key
    bool withIcon;                       // the cell shows the name's shell icon too
};

extern const ResultColumn kResultColumns[kResultColumnCount];

// Width of one column for a usable list width, truncated toward zero.
int32_t ResultColumnWidth(int32_t listWidth, int column);
// The record's field that a column shows; an unknown column shows the file name.
const RefString& ResultCell(const AttachmentRecord* record, int column);
