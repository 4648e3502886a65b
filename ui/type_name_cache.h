// The shell's answers about file names, kept per extension. Asked with only
// the name (no disk access), the shell's type name and icon depend on the
// name's extension alone, and one query costs far more than a row.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "search/ref_string.h"
// The keys, and the names handed to the shell, are the shell's reading of a
// name.
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

// The cached answer under the key, or null.
const TypeNameAnswer* FindTypeName(const TypeNameCache* cache, const std::string& key);
// Stores the shell's answer under the key and returns the entry.
const TypeNameAnswer* StoreTypeName(TypeNameCache* cache, const std::string& key,
                                    const char* typeName, int32_t iconIndex);
