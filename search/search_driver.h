// Runs one search over the host's current folder and, optionally, below it.
#pragma once

struct SearchWindowState;

// How long the scan of one message may keep the host's thread before the
// queue is drained, in milliseconds: well within the tenth of a second in
// which a click still feels answered.
enum { kDrainInterval = 50 };

void RunSearch(bool includeSubfolders);
bool ScanFolder(const char* folderId, SearchWindowState* state);
bool WalkFolders(SearchWindowState* state, const char* dataFolder, const char* folderId);
