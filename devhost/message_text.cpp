#include "devhost/message_text.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A word of bytes at a time: most words of a text hold no byte below 11,
// so neither a NUL nor an LF.
typedef size_t Word;
static const Word kOnes = ~Word(0) / 0xFF;  // 0x01 in every byte

// The first index from `at` on that may hold a NUL or an LF: sixteen bytes
// at a time where the machine can, then a word at a time.
static size_t SkipToLfOrNulCandidate(const char* bytes, size_t at, size_t size) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), nul = _mm_setzero_si128();
    for (; at + 16 <= size; at += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
        int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, nul)));
        if (mask) return at + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (Word word; at + sizeof word <= size; at += sizeof word) {
        memcpy(&word, bytes + at, sizeof word);
        if ((word - kOnes * 11) & ~word & (kOnes << 7)) break;
    }
    return at;
}

size_t MeasureText(const char* bytes, size_t size, size_t* bare) {
    *bare = 0;
    for (size_t i = SkipToLfOrNulCandidate(bytes, 0, size); i < size;
         i = SkipToLfOrNulCandidate(bytes, i + 1, size)) {
        if (bytes[i] == '\0') return i;
        *bare += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    }
    return size;
}

void ExpandBareLineFeeds(char* text, size_t size, size_t bare) {
    // From the end, each byte moved once: every byte still to read lies
    // before every byte written.
    for (size_t from = size, to = size + bare; to > from;) {
        char c = text[--from];
        text[--to] = c;
        if (c == '\n' && (from == 0 || text[from - 1] != '\r')) text[--to] = '\r';
    }
}

// The length of the line end at bytes[at] of the text's `size` bytes: 2 for
// CR LF, 1 for an LF (bare, as bytes[at - 1] is an LF), 0 for none.
static size_t LineEndAt(const char* bytes, size_t size, size_t at) {
    if (at < size && bytes[at] == '\n') return 1;
    return at + 1 < size && bytes[at] == '\r' && bytes[at + 1] == '\n' ? 2 : 0;
}

bool FindHeaderBlockEnd(const char* bytes, size_t size, bool atEnd, size_t* blockBytes) {
    // Every LF ends a line; an empty line follows where a line end starts
    // right after one. The text ends at a NUL. A line end cut off where the
    // bytes end counts as none: with more of the file, the caller asks again.
    *blockBytes = 0;
    if (LineEndAt(bytes, size, 0) > 0) return true;
    for (size_t i = SkipToLfOrNulCandidate(bytes, 0, size); i < size;
         i = SkipToLfOrNulCandidate(bytes, i + 1, size)) {
        if (bytes[i] == '\0' || (bytes[i] == '\n' && LineEndAt(bytes, size, i + 1) > 0)) {
            *blockBytes = bytes[i] == '\0' ? i : i + 1;
            return true;
        }
    }
    *blockBytes = size;
    return atEnd;
}

static bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string FolderDisplayName(const std::string& folderId) {
    size_t end = folderId.size();
    if (end > 0 && folderId[end - 1] == '\\') --end;
    size_t start = 0;
    for (size_t i = 0; i < end; ++i) {
        unsigned char c = static_cast<unsigned char>(folderId[i]);
        if (IsLeadByte(c) && i + 1 < end) {
            ++i;
        } else if (c == '\\') {
            start = i + 1;
        }
    }
    return folderId.substr(start, end - start);
}

std::string WithTrailingBackslash(const std::string& path) {
    if (path.empty()) return "\\";
    if (path.back() == '\\') return path;
    if (path.back() == '/') return path.substr(0, path.size() - 1) + "\\";
    return path + "\\";
}

bool IsMessageFileName(const std::string& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0;
}
