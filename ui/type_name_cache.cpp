#include "ui/type_name_cache.h"

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

const TypeNameAnswer* FindTypeName(const TypeNameCache* cache, const std::string& key) {
    auto found = cache->answers.find(key);
    return found == cache->answers.end() ? nullptr : &found->second;
}

const TypeNameAnswer* StoreTypeName(TypeNameCache* cache, const std::string& key,
                                    const char* typeName, int32_t iconIndex) {
    TypeNameAnswer& answer = cache->answers[key];
    try {
        AssignText(&answer.typeName, typeName ? typeName : "");
    } catch (...) {
        cache->answers.erase(key);  // out of memory: no answer without its type name
        throw;
    }
    answer.iconIndex = iconIndex;
    return &answer;
}
