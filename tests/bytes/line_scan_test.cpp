#include "search/line_scan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

// The plain loop the vector search must agree with.
static const char* PlainFindCrOrNul(const char* text) {
    while (*text != '\r' && *text != '\0') ++text;
    return text;
}

// Every start offset within and across a 16-byte block, every stop position,
// and CR or NUL bytes just before the start (in the same block) that must
// not be seen.
TEST(LineScanTest, AgreesWithThePlainLoopAtEveryAlignment) {
    alignas(16) char buffer[96];
    for (int start = 0; start < 32; ++start) {
        for (int stop = start; stop < 80; ++stop) {
            for (char stopByte : {'\r', '\0'}) {
                std::memset(buffer, 'a', sizeof buffer);
                for (int k = 0; k < start; ++k) buffer[k] = (k % 2) ? '\r' : '\0';
                buffer[stop] = stopByte;
                buffer[sizeof buffer - 1] = '\0';
                const char* text = buffer + start;
                ASSERT_EQ(FindCrOrNul(text), PlainFindCrOrNul(text))
                    << "start " << start << " stop " << stop;
            }
        }
    }
}

TEST(LineScanTest, AgreesWithThePlainLoopOnRandomText) {
    std::mt19937 random(20261207);
    const char alphabet[] = {'\r', '\n', ' ', '\t', 'C', 'x', '\x82', '\xA0'};
    alignas(16) char buffer[4096 + 16];
    for (int round = 0; round < 200; ++round) {
        size_t length = random() % 4096;
        for (size_t k = 0; k < length; ++k) buffer[k] = alphabet[random() % sizeof alphabet];
        buffer[length] = '\0';
        for (const char* p = buffer + random() % 16; p <= buffer + length;) {
            const char* found = FindCrOrNul(p);
            ASSERT_EQ(found, PlainFindCrOrNul(p));
            if (*found == '\0') break;
            p = found + 1;
        }
    }
}
