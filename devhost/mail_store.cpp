#include "devhost/mail_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "devhost/message_text.h"

std::vector<std::string> ListMessageFiles(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((WithTrailingBackslash(directory) + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsMessageFileName(entry.cFileName)) names.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());  // char_traits<char> orders bytes unsigned
    return names;
}

static void CollectFolders(const std::string& dataFolder, const std::string& folderId,
                           std::vector<std::string>* ids) {
    std::vector<std::string> children;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dataFolder + folderId + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..")
            continue;
        children.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(children.begin(), children.end());
    for (const std::string& name : children) {
        std::string childId = folderId + name + "\\";
        ids->push_back(childId);
        CollectFolders(dataFolder, childId, ids);
    }
}

std::vector<std::string> ListFolderIds(const std::string& dataFolder) {
    std::vector<std::string> ids;
    CollectFolders(WithTrailingBackslash(dataFolder), "", &ids);
    return ids;
}

// Header blocks are read in pieces of this size, doubled while none ends.
static const size_t kHeaderPiece = 4096;

// realloc that frees the block when it cannot resize it.
static char* Resize(char* block, size_t size) {
    char* resized = static_cast<char*>(realloc(block, size));
    if (!resized) free(block);
    return resized;
}

char* ReadMessageText(const std::string& path, bool headerOnly, size_t* textLength) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool atEnd = file == INVALID_HANDLE_VALUE;  // a missing file's text is empty
    // Room for the whole file and a NUL: the one read falls short of it, which
    // ends the file. A file that grows meanwhile is read on.
    LARGE_INTEGER fileSize = {};
    size_t room = atEnd ? 1 : 65536;
    if (!atEnd && GetFileSizeEx(file, &fileSize) && fileSize.QuadPart < 0x40000000)
        room = static_cast<size_t>(fileSize.QuadPart) + 1;
    if (headerOnly && room > kHeaderPiece) room = kHeaderPiece;
    char* text = static_cast<char*>(malloc(room));
    size_t length = 0;
    while (text) {
        if (!atEnd) {
            DWORD want = static_cast<DWORD>(std::min<size_t>(room - length, 0x40000000)), got = 0;
            atEnd = !ReadFile(file, text + length, want, &got, nullptr) || got < want;
            length += got;
        }
        if (headerOnly ? FindHeaderBlockEnd(text, length, atEnd, textLength) : atEnd) break;
        text = Resize(text, room *= 2);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!text) return nullptr;
    // Most files end their lines with CR LF already: then nothing moves.
    size_t bare = 0;
    size_t cut = MeasureText(text, headerOnly ? *textLength : length, &bare);
    *textLength = cut + bare;
    if (*textLength + 1 > room && !(text = Resize(text, *textLength + 1))) return nullptr;
    ExpandBareLineFeeds(text, cut, bare);
    text[*textLength] = '\0';
    return text;
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
