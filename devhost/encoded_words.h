// RFC 2047 encoded words ("=?charset?B?...?=", "=?charset?Q?...?=") decoded
// into the ANSI code page. Byte-level: the charset conversion is handed in.
#pragma once

#include <string>

// Converts bytes in the named charset (lower case, language suffix removed)
// to the ANSI code page; false when the charset is unknown or the bytes do
// not convert, and the word is then left as it was.
typedef bool (*CharsetConverter)(const std::string& charset, const std::string& bytes,
                                 std::string* ansi);

// Decodes every well-formed encoded word of text; white space between two
// adjacent decoded words is dropped, every other byte is kept as it is.
std::string DecodeEncodedWords(const std::string& text, CharsetConverter convert);

// The two transfer encodings; false on malformed input.
bool DecodeBase64(const std::string& encoded, std::string* bytes);
bool DecodeQ(const std::string& encoded, std::string* bytes);
