#include "devhost/mail_store.h"

#include <windows.h>

#include <algorithm>

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

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    bytes->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // One read at the file's size; a file that grows meanwhile is read on.
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < 0x7FFFFFFF)
        bytes->reserve(static_cast<size_t>(size.QuadPart));
    char chunk[65536];
    DWORD got = 0;
    bool ok = true;
    if (bytes->capacity() > 0) {
        bytes->resize(bytes->capacity());
        DWORD total = 0;
        while (total < bytes->size() &&
               (ok = ReadFile(file, &(*bytes)[total], static_cast<DWORD>(bytes->size() - total),
                              &got, nullptr)) &&
               got > 0)
            total += got;
        bytes->resize(total);
    }
    while (ok && (ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
        bytes->append(chunk, got);
    }
    CloseHandle(file);
    return ok;
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
