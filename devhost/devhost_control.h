// The stand-in host's controls for tests and for its own script mode: the
// mail store it serves, its version text, fault switches and the counters
// and logs that show what the plug-in asked of it.
#pragma once

#include <string>
#include <vector>

#include "host/win_handles.h"

// Initialises the common controls the plug-in's list needs; call once per process.
void DevhostInit();
// Forgets counters, logs, faults, commands and the current folder.
void DevhostReset();

void DevhostSetDataFolder(const std::string& path);  // a trailing backslash is added
void DevhostSetVersion(const std::string& text);     // BKA_GetVersion's answer
void DevhostSetCurrentFolder(const std::string& folderId);
std::string DevhostCurrentFolder();

enum DevhostMimeFault { kMimeNormal, kMimeReturnsNull, kMimeFillsBuffer };
void DevhostFailSource(const std::string& messageId);  // BKA_GetSource answers null
void DevhostFailHeader(const std::string& messageId);  // BKA_GetHeader answers null
// Posts the progress window's abort click when the n-th source is handed out.
void DevhostAbortAfter(int messages);
void DevhostSetMimeFault(DevhostMimeFault fault);
// Runs inside every BKA_SetCurrentMail before the id is read, as a host whose
// own loop runs there; null for none.
void DevhostDuringSetCurrentMail(void (*work)());

struct DevhostCounters {
    int sourcesHandedOut;
    int sourcesFreed;
    int headersHandedOut;
    int headersFreed;
    int doubleFrees;   // a text freed again after it came back
    int unknownFrees;  // a pointer the host never handed out (null included)
    int abortsPosted;  // abort clicks delivered to a progress window
};
DevhostCounters DevhostGetCounters();
// Texts handed out and not yet freed.
int DevhostOutstandingTexts();
std::vector<void*> DevhostTextsOut();
// A quitting host frees what it had handed out itself: the text is no longer
// out, and the plug-in must not free it.
void DevhostTakeBackText(void* text);

// Names of the never-called host functions that were called, in call order.
std::vector<std::string> DevhostUncalledLog();
std::vector<std::string> DevhostSetCurrentMailLog();
std::vector<std::string> DevhostSetCurrentFolderLog();

// From the exit callback on, every host function the plug-in calls and every
// call of its own on a host window is logged by name: a host that has quit
// has neither.
void DevhostNoteExitCalled();
void DevhostNoteCall(const char* name);
std::vector<std::string> DevhostCallsAfterExit();

// Commands registered with BKA_RegisterCommand, in order (ids from 40000).
std::vector<int> DevhostCommandIds();
// Calls the callback of a registered command like the host's menu does;
// returns its result, or 0 for an unknown id.
int DevhostRunCommand(int commandId, HWND mainWindow);
