#include "devhost/message_text.h"

#include <cstring>

std::string NormalizeMessageText(const char* bytes, size_t size) {
    const void* nul = memchr(bytes, 0, size);
    if (nul) size = static_cast<size_t>(static_cast<const char*>(nul) - bytes);
    // Most files already end their lines with CR LF: then nothing is converted.
    bool bareLf = false;
    for (const char* lf = static_cast<const char*>(memchr(bytes, '\n', size)); lf && !bareLf;
         lf = static_cast<const char*>(memchr(lf + 1, '\n', size - (lf + 1 - bytes))))
        bareLf = lf == bytes || lf[-1] != '\r';
    if (!bareLf) return std::string(bytes, size);
    std::string text;
    text.reserve(size + size / 32);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text.push_back('\r');
        text.push_back(bytes[i]);
    }
    return text;
}

size_t HeaderBlockLength(const std::string& source) {
    if (source.compare(0, 2, "\r\n") == 0) return 0;
    size_t blank = source.find("\r\n\r\n");
    return blank == std::string::npos ? source.size() : blank + 2;
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
