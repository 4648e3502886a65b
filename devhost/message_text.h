// Byte-level shaping of the stand-in host's texts: message sources as the
// host hands them out, and the ids and names derived from folder paths.
#pragma once

#include <cstddef>
#include <string>

// A message's text as the host hands it out is the file's bytes up to the
// first NUL, with every LF not preceded by CR made CR LF.

// The length of the text of a file's first `size` bytes, with *bare the
// number of LFs in it not preceded by CR: the bytes that making every line
// end CR LF adds.
size_t MeasureText(const char* bytes, size_t size, size_t* bare);

// Makes every bare LF of text[0, size) CR LF in place. The buffer must hold
// size + bare bytes, bare from MeasureText.
void ExpandBareLineFeeds(char* text, size_t size, size_t bare);

// The header block's end in a file's first `size` bytes (atEnd: there are
// no more). True when they settle it, with blockBytes the number of them
// whose text is the block: up to and including the line end before the
// first empty line, none when the first line is empty, all of the text when
// none is. False when more of the file may change that: ask again with more.
bool FindHeaderBlockEnd(const char* bytes, size_t size, bool atEnd, size_t* blockBytes);

// "Inbox\Projects\" -> "Projects"; Shift-JIS trail bytes 0x5C are not separators.
std::string FolderDisplayName(const std::string& folderId);

// Appends a backslash unless the path already ends with one.
std::string WithTrailingBackslash(const std::string& path);

// True when name ends with ".eml" (exact case).
bool IsMessageFileName(const std::string& name);
