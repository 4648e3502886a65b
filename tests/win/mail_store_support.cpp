#include "tests/win/mail_store_support.h"

#include <windows.h>

// Wine reuses process ids, and a crashed test leaves its store behind: only a
// directory this call created itself is new, so a name taken is passed over.
std::string MakeTempMailStore() {
    static int made = 0;
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    for (;;) {
        std::string store = std::string(temp) + "qf_store_" +
                            std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++made) +
                            "\\";
        if (CreateDirectoryA(store.c_str(), nullptr)) return store;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return store;
    }
}

void MakeFolder(const std::string& store, const std::string& folderId) {
    std::string path = store;
    for (size_t i = 0; i < folderId.size(); ++i) {
        if (folderId[i] == '\\') CreateDirectoryA(path.c_str(), nullptr);
        path += folderId[i];
        // A trail byte 0x5C of a double-byte letter is no separator.
        if (IsDBCSLeadByte(static_cast<BYTE>(folderId[i])) && i + 1 < folderId.size())
            path += folderId[++i];
    }
    CreateDirectoryA(path.c_str(), nullptr);
}

void WriteMessage(const std::string& store, const std::string& folderId,
                  const std::string& fileName, const std::string& bytes) {
    MakeFolder(store, folderId);
    HANDLE file = CreateFileA((store + folderId + fileName).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void RemoveTempMailStore(const std::string& store) {
    if (store.empty() || store.back() != '\\') return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((store + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTempMailStore(store + name + "\\");
            } else {
                DeleteFileA((store + name).c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(store.c_str());
}
