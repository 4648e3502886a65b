#include "search/ref_string.h"

#include <cstring>

int32_t g_liveRefStringNodes = 0;

RefString MakeRefString(const char* text) {
    RefString handle = {nullptr};
    if (!text) return handle;
    size_t length = std::strlen(text);
    RefStringNode* node = new RefStringNode;
    try {
        node->text = new char[length + 1];
    } catch (...) {
        delete node;
        throw;
    }
    std::memcpy(node->text, text, length);
    node->text[length] = '\0';
    node->refCount = 1;
    ++g_liveRefStringNodes;
    handle.node = node;
    return handle;
}

void AssignText(RefString* handle, const char* text) {
    if (handle->node && handle->node->text == text) return;
    ReleaseRefString(handle);
    // Absent, not holding the released node, if the copy runs out of memory.
    handle->node = nullptr;
    *handle = MakeRefString(text);
}

void AssignShared(RefString* target, const RefString* source) {
    if (target->node == source->node) return;
    if (target->node && source->node && CompareText(target, source) == 0) return;
    ReleaseRefString(target);
    target->node = source->node;
    if (target->node) ++target->node->refCount;
}

void ReleaseRefString(RefString* handle) {
    RefStringNode* node = handle->node;
    if (!node) return;
    if (--node->refCount == 0) {
        delete[] node->text;
        delete node;
        --g_liveRefStringNodes;
    }
}

int CompareText(const RefString* a, const RefString* b) {
    int result = std::strcmp(a->node->text, b->node->text);  // unsigned byte order
    return (result > 0) - (result < 0);
}

bool HasPrefix(const char* text, const char* prefix) {
    if (!text || !prefix) return false;
    while (*prefix && *text == *prefix) {
        ++text;
        ++prefix;
    }
    return *prefix == '\0';
}
