// The shell's answers about file names, kept per extension. Asked with only
// the name (no disk access), the shell's type name and icon depend on the
// name's extension alone, and one query costs far more than a row.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "search/ref_string.h"

struct TypeNameAnswer {
    RefString typeName;  // always present; shared by every row of the extension
    int32_t iconIndex;   // in the system small image list
};

struct TypeNameCache {
    // Key: the name's bytes from its last '.', exactly; "" for names without one.
    std::map<std::string, TypeNameAnswer> answers;
};

enum { kShellNameLimit = 259 };  // longest name handed to the shell (MAX_PATH - 1)

TypeNameCache* NewTypeNameCache();
// Releases every cached type name and frees the cache; accepts null.
void DeleteTypeNameCache(TypeNameCache* cache);

// The cached answer for the name's extension, or null.
const TypeNameAnswer* FindTypeName(const TypeNameCache* cache, const char* fileName);
// Stores the shell's answer for the name's extension and returns the entry.
const TypeNameAnswer* StoreTypeName(TypeNameCache* cache, const char* fileName,
                                    const char* typeName, int32_t iconIndex);

// The name to hand the shell, with the same extension as fileName (null reads
// as empty): fileName itself when it fits in kShellNameLimit bytes, else a
// short stand-in. buffer holds kShellNameLimit + 1 bytes.
const char* ShellQueryName(const char* fileName, char* buffer);
