// The mail store on disk: a folder is a directory below the data folder,
// its messages are the *.eml files in it.
#pragma once

#include <string>
#include <vector>

// File names of a folder's messages in ascending byte order.
std::vector<std::string> ListMessageFiles(const std::string& directory);
// Every folder id below the data folder, parents before children.
std::vector<std::string> ListFolderIds(const std::string& dataFolder);
// A message file's text as the host hands it out (see message_text.h), or
// with headerOnly its header block, read no further than the block's end:
// NUL-terminated and writable, from malloc, textLength bytes before the NUL;
// empty for a missing file, null when memory runs out.
char* ReadMessageText(const std::string& path, bool headerOnly, size_t* textLength);
bool DirectoryExists(const std::string& path);
