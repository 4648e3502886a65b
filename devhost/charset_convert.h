// Charset names of encoded words mapped to the platform's code pages.
#pragma once

#include <string>

// Converts bytes of the named charset to the ANSI code page (CharsetConverter).
bool ConvertCharsetToAnsi(const std::string& charset, const std::string& bytes, std::string* ansi);

// Cuts text to fit size bytes with its NUL, never inside a double-byte character.
size_t AnsiFitLength(const std::string& text, size_t size);
