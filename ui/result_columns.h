// The results list's columns: header texts and shares of the list's width.
#pragma once

#include <cstdint>

enum { kResultColumnCount = 6 };

struct ResultColumn {
    const char* headerText;  // Shift-JIS
    int32_t widthShare;      // percent of the usable list width
};

extern const ResultColumn kResultColumns[kResultColumnCount];

// Width of one column for a usable list width, truncated toward zero.
int32_t ResultColumnWidth(int32_t listWidth, int column);
