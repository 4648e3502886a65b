// devhost's command line: the mail store to serve and, for script mode, the
// session to play against the search window.
#pragma once

#include <string>
#include <vector>

struct ScriptOptions {
    std::string dataFolder;  // ANSI code page
    std::string folderId = "Inbox\\";
    std::string version;
    bool subfolders = true;
    bool hasFilter = false;
    std::string filter;
    std::vector<int> sortColumns;
    std::string tsvPath;
    std::string screenshotPath;
    // "open": the host quits after the search, the window still open;
    // "searching": while the search runs; "about": after the search, while
    // the plug-in's about box is up. Empty: the close button ends it.
    std::string quitHost;
    bool scriptMode = false;  // anything that asks for a search run
    bool gui = false;
    // The interactive loop: the dialog manager first (the default), or as a
    // host that knows nothing of the plug-in's windows (--loop plain).
    bool plainLoop = false;
    int commonControls = 0;  // 5 or 6; 0: as QUENFOLD_COMCTL says, else 6
};

// Parses the wide command line; on error returns false with a message.
bool ParseScriptOptions(const std::vector<std::wstring>& args, ScriptOptions* options,
                        std::string* error);
