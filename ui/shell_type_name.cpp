#include "ui/shell_type_name.h"

#include <windows.h>
// The shell's declarations need <windows.h> first.
#include <objbase.h>
#include <shellapi.h>

#include <cstring>
#include <string>

TypeNameCache* NewTypeNameCache() {
    return new TypeNameCache();
}

void DeleteTypeNameCache(TypeNameCache* cache) {
    EmptyTypeNameCache(cache);
    delete cache;
}

void EmptyTypeNameCache(TypeNameCache* cache) {
    if (!cache) return;
    for (auto& entry : cache->answers) ReleaseRefString(&entry.second.typeName);
    cache->answers.clear();
}

// The shell wants COM on the calling thread, which the host's may or may not
// have: it is started around each query and given back at once, so the host
// finds its thread as it left it, and a thread already in the multithreaded
// apartment (RPC_E_CHANGED_MODE) is used as it is. ole32 is loaded by name
// for the query, not imported: a host that never searches never loads it.
DWORD_PTR AskShellByName(const char* name, UINT flags, SHFILEINFOA* info) {
    typedef HRESULT(WINAPI * StartCom)(void*, DWORD);
    typedef void(WINAPI * EndCom)();
    HMODULE ole = LoadLibraryA("ole32.dll");
    StartCom start = ole ? reinterpret_cast<StartCom>(
                               reinterpret_cast<void*>(GetProcAddress(ole, "CoInitializeEx")))
                         : nullptr;
    EndCom end = ole ? reinterpret_cast<EndCom>(
                           reinterpret_cast<void*>(GetProcAddress(ole, "CoUninitialize")))
                     : nullptr;
    HRESULT com =
        start && end ? start(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) : E_FAIL;
    std::memset(info, 0, sizeof *info);
    DWORD_PTR result = SHGetFileInfoA(name, FILE_ATTRIBUTE_NORMAL, info, sizeof *info,
                                      flags | SHGFI_USEFILEATTRIBUTES);
    if (SUCCEEDED(com)) end();
    if (ole) FreeLibrary(ole);
    return result;
}

// One query for a name already fit to hand to the shell (ShellQueryName).
static bool AskShell(const char* shellName, char* typeName, int32_t* iconIndex) {
    SHFILEINFOA info;
    if (!AskShellByName(shellName, SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON, &info))
        return false;
    std::memcpy(typeName, info.szTypeName, sizeof info.szTypeName);
    typeName[sizeof info.szTypeName - 1] = '\0';
    *iconIndex = info.iIcon;
    return true;
}

bool QueryShellTypeName(const char* fileName, char* typeName, int32_t* iconIndex) {
    char shortName[kShellNameLimit + 1];
    return AskShell(ShellQueryName(fileName, shortName), typeName, iconIndex);
}

bool LookUpTypeName(TypeNameCache* cache, const char* fileName, RefString* typeName,
                    int32_t* iconIndex) {
    char shortName[kShellNameLimit + 1];
    const char* shellName = ShellQueryName(fileName, shortName);
    std::string key;
    bool shared = ShellExtensionKey(shellName, &key);
    auto cached = shared ? cache->answers.find(key) : cache->answers.end();
    if (cached == cache->answers.end()) {
        char text[80];
        int32_t icon = 0;
        if (!AskShell(shellName, text, &icon)) {
            AssignText(typeName, "");
            *iconIndex = 0;
            return false;
        }
        if (!shared) {
            AssignText(typeName, text);
            *iconIndex = icon;
            return true;
        }
        cached = cache->answers.emplace(key, TypeNameAnswer{{nullptr}, icon}).first;
        try {
            AssignText(&cached->second.typeName, text);
        } catch (...) {
            cache->answers.erase(cached);  // out of memory: no answer without its type name
            throw;
        }
    }
    const TypeNameAnswer* answer = &cached->second;
    AssignShared(typeName, &answer->typeName);
    *iconIndex = answer->iconIndex;
    return true;
}
