#include "ui/shell_type_name.h"

#include <windows.h>
// The shell's declarations need <windows.h> first.
#include <shellapi.h>

#include <cstring>

#include "ui/type_name_cache.h"

bool QueryShellTypeName(const char* fileName, char* typeName, int32_t* iconIndex) {
    char shortName[kShellNameLimit + 1];
    SHFILEINFOA info;
    std::memset(&info, 0, sizeof info);
    DWORD_PTR ok = SHGetFileInfoA(
        ShellQueryName(fileName, shortName), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
        SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    if (!ok) return false;
    std::memcpy(typeName, info.szTypeName, sizeof info.szTypeName);
    typeName[sizeof info.szTypeName - 1] = '\0';
    *iconIndex = info.iIcon;
    return true;
}

const TypeNameAnswer* LookUpTypeName(TypeNameCache* cache, const char* fileName) {
    if (const TypeNameAnswer* cached = FindTypeName(cache, fileName)) return cached;
    char typeName[80];
    int32_t iconIndex = 0;
    if (!QueryShellTypeName(fileName, typeName, &iconIndex)) return nullptr;
    return StoreTypeName(cache, fileName, typeName, iconIndex);
}
