#include "search/line_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Sixteen bytes at a time from aligned addresses: an aligned load never
// crosses into the next page, so reading a block that holds the NUL, or the
// bytes just before text in its first block (masked off), is safe even
// though those bytes lie outside the text. AddressSanitizer cannot know
// that, hence the attribute.
#if defined(__SSE2__)
#if defined(__clang__) || defined(__GNUC__)
#define QF_NO_ADDRESS_CHECK __attribute__((no_sanitize_address))
#else
#define QF_NO_ADDRESS_CHECK
#endif

// Bit i set where byte i of the aligned block at p is CR or NUL.
QF_NO_ADDRESS_CHECK static inline unsigned CrOrNulMask(const unsigned char* p) {
    const __m128i block = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
        _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(block, _mm_setzero_si128()))));
}

QF_NO_ADDRESS_CHECK const char* FindCrOrNul(const char* text) {
    uintptr_t address = reinterpret_cast<uintptr_t>(text);
    unsigned skip = static_cast<unsigned>(address & 15);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(address - skip);
    unsigned mask = CrOrNulMask(p) >> skip;  // the bytes before text are dropped
    if (mask) return text + __builtin_ctz(mask);
    for (;;) {
        p += 16;
        mask = CrOrNulMask(p);
        if (mask) return reinterpret_cast<const char*>(p + __builtin_ctz(mask));
    }
}
#else
const char* FindCrOrNul(const char* text) {
    while (*text != '\r' && *text != 0) ++text;
    return text;
}
#endif
