// Asks the shell, by name only, for a file name's type name and small icon.
#pragma once

#include <windows.h>

#include <cstdint>
// The shell's declarations need <windows.h> first.
#include <shellapi.h>

struct RefString;
struct TypeNameCache;

// SHGetFileInfoA for a name, by the name only (SHGFI_USEFILEATTRIBUTES with
// FILE_ATTRIBUTE_NORMAL), with COM on the thread meanwhile.
DWORD_PTR AskShellByName(const char* name, UINT flags, SHFILEINFOA* info);
// One shell query for fileName (null reads as empty), handing the shell at
// most kShellNameLimit bytes. False when the shell fails; typeName holds 80
// bytes.
bool QueryShellTypeName(const char* fileName, char* typeName, int32_t* iconIndex);
// The shell's answer for fileName: shared from the cache when a name with the
// same extension asked before, else asked now (and cached when every name
// with that extension gets the same answer). Gives typeName the type name
// (shared with the cache when cached) and sets iconIndex. When the shell
// fails: an empty type name, icon 0, nothing cached, and false.
bool LookUpTypeName(TypeNameCache* cache, const char* fileName, RefString* typeName,
                    int32_t* iconIndex);
