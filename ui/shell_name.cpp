#include "ui/shell_name.h"

#include <windows.h>

#include <cstring>

// The shell's reading of an ANSI name: a lead byte takes the next byte with
// it, whatever that is (so "x\x82.txt" has no dot), unless it is the last.
struct LeadBytes {
    bool lead[256];
};

static void ReadLeadBytes(LeadBytes* table) {
    for (int byte = 0; byte < 256; ++byte) table->lead[byte] = IsDBCSLeadByte(byte) != FALSE;
}

static size_t CharLength(const LeadBytes& table, const char* text) {
    return table.lead[static_cast<unsigned char>(*text)] && text[1] ? 2 : 1;
}

// From the last '.' that no blank or backslash follows, as the shell finds
// the extension; the end of the name when there is none.
static const char* FindExtension(const LeadBytes& table, const char* name) {
    const char* extension = nullptr;
    const char* at = name;
    while (*at) {
        if (*at == '\\' || *at == ' ') {
            extension = nullptr;
        } else if (*at == '.') {
            extension = at;
        }
        at += CharLength(table, at);
    }
    return extension ? extension : at;
}

const char* ShellQueryName(const char* fileName, char* buffer) {
    if (!fileName) return "";
    if (std::strlen(fileName) <= kShellNameLimit) return fileName;

    // One letter before the extension keeps the name a name. An extension too
    // long for any registration is cut at a character boundary.
    LeadBytes table;
    ReadLeadBytes(&table);
    const char* extension = FindExtension(table, fileName);
    size_t keep = 0;
    while (extension[keep]) {
        size_t step = CharLength(table, extension + keep);
        if (1 + keep + step > kShellNameLimit) break;
        keep += step;
    }
    buffer[0] = 'a';
    std::memcpy(buffer + 1, extension, keep);
    buffer[1 + keep] = '\0';
    return buffer;
}

bool ShellExtensionKey(const char* shellName, std::string* key) {
    // The shell's own conversion, so that equal keys are equal wide names.
    WCHAR wide[kShellNameLimit + 1];
    int converted =
        shellName ? MultiByteToWideChar(CP_ACP, 0, shellName, -1, wide, kShellNameLimit + 1) : 0;
    if (converted <= 1) return false;  // empty, unreadable or too long
    const WCHAR* end = wide + converted - 1;

    // The shell may read a relative name inside the current directory and
    // cut what passes MAX_PATH - 1 characters, extension first.
    DWORD directory = GetCurrentDirectoryW(0, nullptr);  // with its NUL, for the '\'
    if (directory == 0 || directory + static_cast<DWORD>(end - wide) > MAX_PATH - 1) return false;

    const WCHAR* extension = nullptr;
    for (const WCHAR* at = wide; at < end; ++at) {
        // A path, a drive or a stream: read by the path rules, not as a name.
        if (*at == L'\\' || *at == L'/' || *at == L':') return false;
        if (*at == L' ') {
            extension = nullptr;
        } else if (*at == L'.') {
            extension = at;
        }
    }
    // Dots that open or end a name are path syntax too ("..x", "x.").
    if (!extension || wide[0] == L'.' || extension + 1 == end) return false;
    key->assign(reinterpret_cast<const char*>(extension),
                static_cast<size_t>(end - extension) * sizeof(WCHAR));
    return true;
}
