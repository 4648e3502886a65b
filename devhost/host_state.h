// The stand-in host's process-wide state, shared by its exports and controls.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "devhost/devhost_control.h"
#include "host/host_api.h"

enum DevhostTextKind { kSourceText, kHeaderText };

struct RegisteredCommand {
    int id;
    BkaCommandProc proc;
};

struct DevhostState {
    std::string dataFolder;
    std::string currentFolder;
    std::string version = "2.00.05";
    std::string displayName;               // last BKA_GetFolderDisplayName answer
    std::vector<std::string> listedFiles;  // messages of the folder being enumerated
    std::string openMessage;               // path of the message whose header block is kept
    std::string openHeader;
    std::map<void*, DevhostTextKind> handedOut;
    std::set<void*> returned;
    DevhostCounters counters = {};
    std::vector<std::string> uncalledLog;
    std::vector<std::string> setCurrentMailLog;
    std::vector<std::string> setCurrentFolderLog;
    std::vector<std::string> hostCommandLog;  // accelerators of the host's loop (host_loop.h)
    std::vector<RegisteredCommand> commands;
    std::set<std::string> noSource;
    std::set<std::string> noHeader;
    int abortAfter = 0;
    int sourcesSinceAbortArmed = 0;
    DevhostMimeFault mimeFault = kMimeNormal;
    void (*duringSetCurrentMail)() = nullptr;
    bool exitCalled = false;                  // the plug-in's exit callback has been called
    std::vector<std::string> callsAfterExit;  // host functions and host-window calls since
};

extern DevhostState g_devhost;

// Posts the abort click to the plug-in's progress window; true when found.
bool PostAbortToProgressWindow();
