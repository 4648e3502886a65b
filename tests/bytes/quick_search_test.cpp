#include "search/quick_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

static int32_t Find(const std::string& text, const char* pattern) {
    QuickSearchTable table;
    uint32_t m = static_cast<uint32_t>(std::strlen(pattern));
    BuildQuickSearchTable(pattern, m, &table);
    return QuickSearch(static_cast<uint32_t>(text.size()), m, pattern, text.data(), &table);
}

static int32_t FindFolded(const std::string& text, const char* pattern) {
    QuickSearchTable table;
    uint32_t m = static_cast<uint32_t>(std::strlen(pattern));
    BuildFoldedQuickSearchTable(pattern, m, &table);
    return QuickSearchFolded(static_cast<uint32_t>(text.size()), m, pattern, text.c_str(), &table);
}

TEST(QuickSearch, FixedTablesHaveTheirShifts) {
    BuildFixedShiftTables();
    int differentName = 0, differentFilename = 0;
    for (int i = 0; i < 256; ++i) {
        differentName += NameShiftTable.shift[i] != 6;
        differentFilename += FilenameShiftTable.shift[i] != 10;
    }
    EXPECT_EQ(differentName, 5);
    EXPECT_EQ(differentFilename, 8);
    EXPECT_EQ(NameShiftTable.shift[(unsigned char)'n'], 5);
    EXPECT_EQ(NameShiftTable.shift[(unsigned char)'='], 1);
    EXPECT_EQ(FilenameShiftTable.shift[(unsigned char)'e'], 2);
    EXPECT_EQ(FilenameShiftTable.shift[(unsigned char)'f'], 9);
    EXPECT_EQ(FilenameShiftTable.shift[(unsigned char)'n'], 5);
}

TEST(QuickSearch, FindsTheLeftmostExactMatch) {
    EXPECT_EQ(Find("; name=a.txt", "name="), 2);
    EXPECT_EQ(Find("attachment; filename=a.txt", "name="), 16);
    EXPECT_EQ(Find("name=x", "name="), 0);
    EXPECT_EQ(Find("xx name=", "name="), 3);  // ends at the last byte
    EXPECT_EQ(Find("name=1 name=2", "name="), 0);
    EXPECT_EQ(Find("NAME=x Name=y", "name="), -1);
    EXPECT_EQ(Find("abc", ""), 0);
    EXPECT_EQ(Find("", ""), 0);
    EXPECT_EQ(Find("nam", "name="), -1);
}

TEST(QuickSearch, ShortTextIsNeverRead) {
    // A text shorter than the pattern: neither the text nor the table is read.
    EXPECT_EQ(QuickSearch(2, 5, "name=", nullptr, nullptr), -1);
}

// Only the n bytes given are searched, even when the bytes after them would
// complete the pattern, wherever the last shift lands.
TEST(QuickSearch, NothingPastTheLengthCounts) {
    QuickSearchTable table, folded;
    BuildQuickSearchTable("name=", 5, &table);
    BuildFoldedQuickSearchTable("NAME=", 5, &folded);
    for (const std::string text : {"xx name=; name=", "xxxxxxxxxxxname=", "xxxxxnamxxname=x"}) {
        for (uint32_t n = 0; n <= text.size(); ++n) {
            size_t plain = text.substr(0, n).find("name=");
            int32_t expected = plain == std::string::npos ? -1 : static_cast<int32_t>(plain);
            EXPECT_EQ(QuickSearch(n, 5, "name=", text.c_str(), &table), expected) << text << n;
            EXPECT_EQ(QuickSearchFolded(n, 5, "NAME=", text.c_str(), &folded), expected)
                << text << n;
        }
    }
}

TEST(QuickSearch, FoldedMatchesAsciiLettersOnly) {
    EXPECT_EQ(FindFolded("README.TXT", "txt"), 7);
    EXPECT_EQ(FindFolded("readme.txt", "READ"), 0);
    EXPECT_EQ(FindFolded("report.pdf", "\x82\x6F\x82\x63\x82\x65"), -1);  // full-width PDF
    EXPECT_EQ(FindFolded("\x83\x61", "\x83\x41"), 0);                     // trail bytes fold too
    EXPECT_EQ(FindFolded("\xC0", "\xE0"), -1);  // nothing above 0x7F folds
    QuickSearchTable table;
    BuildFoldedQuickSearchTable("a", 1, &table);
    EXPECT_EQ(QuickSearchFolded(1, 1, nullptr, "a", &table), -1);
    EXPECT_EQ(QuickSearchFolded(1, 1, "a", nullptr, &table), -1);
    EXPECT_EQ(QuickSearchFolded(0, 0, "", "", &table), 0);
}

// The fast paths against a plain search over generated texts.
TEST(QuickSearch, AgreesWithPlainSearch) {
    uint32_t seed = 12345;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const char alphabet[] = "naemfil=NAE;\x83";
    for (int round = 0; round < 5000; ++round) {
        std::string text, pattern;
        int n = next() % 40, m = next() % 6;
        for (int i = 0; i < n; ++i) text += alphabet[next() % (sizeof alphabet - 1)];
        for (int i = 0; i < m; ++i) pattern += alphabet[next() % (sizeof alphabet - 1)];
        size_t plain = text.find(pattern);
        EXPECT_EQ(Find(text, pattern.c_str()), plain == std::string::npos ? -1 : int(plain));
        std::string lowerText = text, lowerPattern = pattern;
        for (char& c : lowerText) c = static_cast<char>(AsciiFoldTable[(unsigned char)c]);
        for (char& c : lowerPattern) c = static_cast<char>(AsciiFoldTable[(unsigned char)c]);
        size_t folded = lowerText.find(lowerPattern);
        EXPECT_EQ(FindFolded(text, pattern.c_str()),
                  folded == std::string::npos ? -1 : int(folded));
    }
}
