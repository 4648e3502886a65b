// Reference-counted immutable byte strings, and the byte-wise text helpers.
#pragma once

#include <cstdint>

struct RefStringNode {
    char* text;        // NUL-terminated, storage of exactly length + 1 bytes
    int32_t refCount;  // handles that hold the node
};

// A handle without a node is absent: a missing value, unlike an empty text.
struct RefString {
    RefStringNode* node;
};

// Nodes made and not yet freed: a plain count, so that tests can prove that
// closing the window frees every node.
extern int32_t g_liveRefStringNodes;

// A new handle holding a copy of text; absent for a null text.
RefString MakeRefString(const char* text);
// Gives the handle a copy of text (nothing happens if text is its own text).
void AssignText(RefString* handle, const char* text);
// Makes target hold source's node without copying, unless the texts are equal.
void AssignShared(RefString* target, const RefString* source);
// Drops the handle's hold; frees text and node at the last release.
void ReleaseRefString(RefString* handle);
// -1, 0 or +1: unsigned byte order of two present handles' texts.
int CompareText(const RefString* a, const RefString* b);
// Exact, case-sensitive prefix test; false when either pointer is null.
bool HasPrefix(const char* text, const char* prefix);

inline const char* TextOf(const RefString& handle) {
    return handle.node ? handle.node->text : nullptr;
}
