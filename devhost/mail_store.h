// The mail store on disk: a folder is a directory below the data folder,
// its messages are the *.eml files in it.
#pragma once

#include <string>
#include <vector>

// File names of a folder's messages in ascending byte order.
std::vector<std::string> ListMessageFiles(const std::string& directory);
// Every folder id below the data folder, parents before children.
std::vector<std::string> ListFolderIds(const std::string& dataFolder);
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool DirectoryExists(const std::string& path);
