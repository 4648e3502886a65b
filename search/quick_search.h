// Sunday's quick search, exact and ASCII case-folded.
#pragma once

#include <cstdint>

struct QuickSearchTable {
    int32_t shift[256];  // indexed by unsigned byte value
};

extern QuickSearchTable NameShiftTable;      // "name="
extern QuickSearchTable FilenameShiftTable;  // "filename="
extern const unsigned char AsciiFoldTable[256];

void BuildQuickSearchTable(const char* pattern, uint32_t m, QuickSearchTable* table);
// The same rule over the folded pattern, for QuickSearchFolded.
void BuildFoldedQuickSearchTable(const char* pattern, uint32_t m, QuickSearchTable* table);
// Fills NameShiftTable and FilenameShiftTable.
void BuildFixedShiftTables();

// Offset of the leftmost occurrence of pattern in text, or -1.
int32_t QuickSearch(uint32_t n, uint32_t m, const char* pattern, const char* text,
                    const QuickSearchTable* table);
int32_t QuickSearchFolded(uint32_t n, uint32_t m, const char* pattern, const char* text,
                          const QuickSearchTable* table);
