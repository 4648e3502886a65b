// Asks the shell, by name only, for a file name's type name and small icon.
#pragma once

#include <cstdint>

struct TypeNameCache;
struct TypeNameAnswer;

// One shell query for fileName (null reads as empty), handing the shell at
// most kShellNameLimit bytes. False when the shell fails; typeName holds 80
// bytes.
bool QueryShellTypeName(const char* fileName, char* typeName, int32_t* iconIndex);
// The answer for fileName's extension, asking the shell on the first use of
// the extension; null when the shell fails (nothing is cached then).
const TypeNameAnswer* LookUpTypeName(TypeNameCache* cache, const char* fileName);
