// Asks the shell, by name only, for a file name's type name and small icon,
// and keeps its answers per extension: asked with only the name (no disk
// access), they depend on the name's extension alone, and one query costs
// far more than a row.
#pragma once

#include <windows.h>
// The shell's declarations need <windows.h> first.
#include <shellapi.h>

#include <cstdint>
#include <map>
#include <string>

#include "search/ref_string.h"
#include "ui/shell_name.h"

struct TypeNameAnswer {
    RefString typeName;  // always present; shared by every row of the extension
    int32_t iconIndex;   // in the system small image list
};

struct TypeNameCache {
    // Key: ShellExtensionKey of the name handed to the shell.
    std::map<std::string, TypeNameAnswer> answers;
};

TypeNameCache* NewTypeNameCache();
// Releases every cached type name and frees the cache; accepts null.
void DeleteTypeNameCache(TypeNameCache* cache);
// Releases every cached type name, so that the next use of each extension
// asks the shell afresh; accepts null.
void EmptyTypeNameCache(TypeNameCache* cache);

// SHGetFileInfoA for a name, by the name only (SHGFI_USEFILEATTRIBUTES with
// FILE_ATTRIBUTE_NORMAL), with COM on the thread meanwhile.
DWORD_PTR AskShellByName(const char* name, UINT flags, SHFILEINFOA* info);
// One uncached query for fileName (null reads as empty), cut as ShellQueryName
// cuts it; typeName holds 80 bytes. False when the shell fails.
bool QueryShellTypeName(const char* fileName, char* typeName, int32_t* iconIndex);
// The shell's answer for fileName into typeName and iconIndex: shared from
// the cache when a name with the same extension asked before, else asked now
// (and cached when every name with that extension gets the same answer). When
// the shell fails: an empty type name, icon 0, nothing cached, and false.
bool LookUpTypeName(TypeNameCache* cache, const char* fileName, RefString* typeName,
                    int32_t* iconIndex);
