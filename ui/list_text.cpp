#include "ui/list_text.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>

// The length of text's longest prefix of at most limit bytes that ends
// between two characters of the code page, as its conversion reads them; the
// text ends at its NUL or after length bytes.
static int CharBoundaryPrefix(const char* text, int limit, int length = INT_MAX) {
    int prefix = 0;
    while (prefix < length && text[prefix]) {
        bool pair = IsDBCSLeadByte(static_cast<BYTE>(text[prefix])) && prefix + 1 < length &&
                    text[prefix + 1];
        int step = pair ? 2 : 1;
        if (prefix + step > limit) break;
        prefix += step;
    }
    return prefix;
}

// The code page converts character by character: chunks that end between
// characters give the same bytes as the whole text at once.
void CopyCellText(const char* text, char* buffer, int size) {
    if (!buffer || size <= 0) return;
    enum { kChunk = 256 };
    int used = 0;
    while (text && *text && used < size - 1) {
        int chunk = CharBoundaryPrefix(text, kChunk);
        wchar_t wide[kChunk];
        int wideLength = MultiByteToWideChar(CP_ACP, 0, text, chunk, wide, kChunk);
        char bytes[2 * kChunk];
        int length =
            WideCharToMultiByte(CP_ACP, 0, wide, wideLength, bytes, sizeof bytes, nullptr, nullptr);
        // A buffer too short takes whole characters only, as a list's own does.
        bool full = length > size - 1 - used;
        if (full) length = CharBoundaryPrefix(bytes, size - 1 - used, length);
        std::memcpy(buffer + used, bytes, static_cast<size_t>(length));
        used += length;
        if (full) break;
        text += chunk;
    }
    buffer[used] = '\0';
}

static void Fold(FoldedText* folded) {
    if (folded->length > 0) CharLowerBuffW(folded->text, static_cast<DWORD>(folded->length));
}

void FoldText(const char* text, FoldedText* folded) {
    if (!text) text = "";
    int prefix = CharBoundaryPrefix(text, kFoldedChars);
    folded->length = MultiByteToWideChar(CP_ACP, 0, text, prefix, folded->text, kFoldedChars);
    folded->whole = text[prefix] == '\0';
    Fold(folded);
}

void FoldText(const wchar_t* text, FoldedText* folded) {
    if (!text) text = L"";
    const size_t limit = kFoldedChars;
    size_t length = std::wcslen(text);
    folded->whole = length <= limit;
    folded->length = static_cast<int>(folded->whole ? length : limit);
    std::wmemcpy(folded->text, text, static_cast<size_t>(folded->length));
    Fold(folded);
}

bool MayMatchFolded(const char* name, const FoldedText& wanted) {
    unsigned char first = name ? static_cast<unsigned char>(*name) : 0;
    if (first == 0 || first >= 0x80 || wanted.length == 0) return true;
    return wanted.text[0] == (first >= 'A' && first <= 'Z' ? first + ('a' - 'A') : first);
}

bool MatchesFolded(const FoldedText& name, const FoldedText& wanted, bool partial) {
    // A cut name still holds half as many characters as it could: more than
    // any wanted text that is compared at all.
    if (!wanted.whole || wanted.length > kFoldedChars / 2) return false;
    if (partial ? name.length < wanted.length : !name.whole || name.length != wanted.length)
        return false;
    return std::wmemcmp(name.text, wanted.text, static_cast<size_t>(wanted.length)) == 0;
}
