#include "ui/shell_type_name.h"

#include <windows.h>
// The shell's declarations need <windows.h> first.
#include <shellapi.h>

#include <cstring>
#include <string>

#include "ui/shell_name.h"
#include "ui/type_name_cache.h"

// One query for a name already fit to hand to the shell (ShellQueryName).
static bool AskShell(const char* shellName, char* typeName, int32_t* iconIndex) {
    SHFILEINFOA info;
    std::memset(&info, 0, sizeof info);
    DWORD_PTR ok = SHGetFileInfoA(
        shellName, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
        SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    if (!ok) return false;
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
    const TypeNameAnswer* answer = shared ? FindTypeName(cache, key) : nullptr;
    if (!answer) {
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
        answer = StoreTypeName(cache, key, text, icon);
    }
    AssignShared(typeName, &answer->typeName);
    *iconIndex = answer->iconIndex;
    return true;
}
