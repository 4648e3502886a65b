// Temporary mail stores laid out as the stand-in host's data folder: a
// folder is a directory, its messages are *.eml files in it.
#pragma once

#include <string>

// A new empty data folder below the temporary folder; its Windows path ends
// with a backslash.
std::string MakeTempMailStore();
// Creates the folder's directory and every parent ("Inbox\Projects\").
void MakeFolder(const std::string& store, const std::string& folderId);
// Writes a file into the folder, creating the folder if needed.
void WriteMessage(const std::string& store, const std::string& folderId,
                  const std::string& fileName, const std::string& bytes);
// Deletes the store with everything in it.
void RemoveTempMailStore(const std::string& store);
