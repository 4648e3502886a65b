#include "search/line_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Sixteen bytes at a time from an aligned address: an aligned load never
// crosses into the next page, so reading a block that holds the NUL is safe
// even though some of its bytes lie past the text's end. AddressSanitizer
// cannot know that, hence the attribute.
#if defined(__SSE2__)
#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize_address))
#endif
const char* FindCrOrNul(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (reinterpret_cast<uintptr_t>(p) & 15) {
        if (*p == '\r' || *p == 0) return reinterpret_cast<const char*>(p);
        ++p;
    }
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    for (;;) {
        __m128i block = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, zero)));
        if (mask) return reinterpret_cast<const char*>(p + __builtin_ctz(mask));
        p += 16;
    }
}
#else
const char* FindCrOrNul(const char* text) {
    while (*text != '\r' && *text != 0) ++text;
    return text;
}
#endif
