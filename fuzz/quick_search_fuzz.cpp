// Both quick searches against a plain left-to-right search.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "search/quick_search.h"

static int32_t PlainSearch(const unsigned char* text, uint32_t n, const unsigned char* pattern,
                           uint32_t m, bool fold) {
    for (uint32_t p = 0; p + m <= n; ++p) {
        uint32_t k = 0;
        while (k < m && (fold ? AsciiFoldTable[text[p + k]] == AsciiFoldTable[pattern[k]]
                              : text[p + k] == pattern[k]))
            ++k;
        if (k == m) return static_cast<int32_t>(p);
    }
    return -1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    uint32_t m = data[0] % 16;
    if (m > size - 1) m = static_cast<uint32_t>(size - 1);
    // Exact-size copies, so that a read past either range is caught.
    std::vector<unsigned char> pattern(data + 1, data + 1 + m);
    std::vector<unsigned char> text(data + 1 + m, data + size);
    text.push_back(0);  // the byte after the range, as the callers have it
    uint32_t n = static_cast<uint32_t>(text.size() - 1);
    const char* pat = m ? reinterpret_cast<const char*>(pattern.data()) : "";
    const char* txt = reinterpret_cast<const char*>(text.data());

    QuickSearchTable table;
    BuildQuickSearchTable(pat, m, &table);
    if (QuickSearch(n, m, pat, txt, &table) !=
        PlainSearch(text.data(), n, pattern.data(), m, false))
        std::abort();
    BuildFoldedQuickSearchTable(pat, m, &table);
    if (QuickSearchFolded(n, m, pat, txt, &table) !=
        PlainSearch(text.data(), n, pattern.data(), m, true))
        std::abort();
    return 0;
}
