#include "ui/type_name_cache.h"

#include <cstring>

// The extension key, so that names with equal keys get equal answers: from
// the last '.' (which is never a trail byte of a double-byte character).
static const char* ExtensionOf(const char* fileName) {
    if (!fileName) return "";
    const char* dot = std::strrchr(fileName, '.');
    return dot ? dot : "";
}

TypeNameCache* NewTypeNameCache() {
    return new TypeNameCache();
}

void DeleteTypeNameCache(TypeNameCache* cache) {
    if (!cache) return;
    for (auto& entry : cache->answers) ReleaseRefString(&entry.second.typeName);
    delete cache;
}

const TypeNameAnswer* FindTypeName(const TypeNameCache* cache, const char* fileName) {
    auto found = cache->answers.find(ExtensionOf(fileName));
    return found == cache->answers.end() ? nullptr : &found->second;
}

const TypeNameAnswer* StoreTypeName(TypeNameCache* cache, const char* fileName,
                                    const char* typeName, int32_t iconIndex) {
    TypeNameAnswer& answer = cache->answers[ExtensionOf(fileName)];
    AssignText(&answer.typeName, typeName ? typeName : "");
    answer.iconIndex = iconIndex;
    return &answer;
}

// A lead byte of a Shift-JIS double-byte character.
static bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

const char* ShellQueryName(const char* fileName, char* buffer) {
    if (!fileName) return "";
    size_t length = std::strlen(fileName);
    if (length <= kShellNameLimit) return fileName;

    // One letter before the extension keeps the name a name. An extension too
    // long for any registration is cut at a character boundary.
    const char* extension = ExtensionOf(fileName);
    size_t keep = 0;
    size_t extensionLength = std::strlen(extension);
    while (keep < extensionLength) {
        size_t step = IsLeadByte(static_cast<unsigned char>(extension[keep])) ? 2 : 1;
        if (1 + keep + step > kShellNameLimit || keep + step > extensionLength) break;
        keep += step;
    }
    buffer[0] = 'a';
    std::memcpy(buffer + 1, extension, keep);
    buffer[1 + keep] = '\0';
    return buffer;
}
