// Byte-level shaping of the stand-in host's texts: message sources as the
// host hands them out, and the ids and names derived from folder paths.
#pragma once

#include <cstddef>
#include <string>

// The file's bytes cut at the first NUL, every LF not preceded by CR made CR LF.
std::string NormalizeMessageText(const char* bytes, size_t size);

// Length of the header block: up to and including the CR LF before the
// first empty line, or the whole source when there is no empty line.
size_t HeaderBlockLength(const std::string& source);

// "Inbox\Projects\" -> "Projects"; Shift-JIS trail bytes 0x5C are not separators.
std::string FolderDisplayName(const std::string& folderId);

// Appends a backslash unless the path already ends with one.
std::string WithTrailingBackslash(const std::string& path);

// True when name ends with ".eml" (exact case).
bool IsMessageFileName(const std::string& name);
