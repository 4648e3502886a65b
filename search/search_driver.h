// Runs one search over the host's current folder and, optionally, below it.
#pragma once

struct SearchWindowState;

void RunSearch(bool includeSubfolders);
bool ScanFolder(const char* folderId, SearchWindowState* state);
bool WalkFolders(SearchWindowState* state, const char* dataFolder, const char* folderId);
