#include "devhost/devhost_control.h"

#include <windows.h>

#include <cstdlib>
// After <windows.h>, which it builds on.
#include <commctrl.h>

#include "devhost/host_state.h"
#include "devhost/message_text.h"

DevhostState g_devhost;

void DevhostInit() {
    // The plug-in's list control needs the host process to register its class.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

void DevhostReset() {
    // Texts still out stay allocated: the plug-in may yet free them.
    std::string dataFolder = g_devhost.dataFolder;
    std::string version = g_devhost.version;
    g_devhost = DevhostState();
    g_devhost.dataFolder = dataFolder;
    g_devhost.version = version;
}

void DevhostSetDataFolder(const std::string& path) {
    g_devhost.dataFolder = WithTrailingBackslash(path);
}

void DevhostSetVersion(const std::string& text) {
    g_devhost.version = text;
}

void DevhostSetCurrentFolder(const std::string& folderId) {
    g_devhost.currentFolder = folderId;
    g_devhost.listedFiles.clear();
}

std::string DevhostCurrentFolder() {
    return g_devhost.currentFolder;
}

void DevhostFailSource(const std::string& messageId) {
    g_devhost.noSource.insert(messageId);
}
void DevhostFailHeader(const std::string& messageId) {
    g_devhost.noHeader.insert(messageId);
}

void DevhostAbortAfter(int messages) {
    g_devhost.abortAfter = messages;
    g_devhost.sourcesSinceAbortArmed = 0;
}

void DevhostSetMimeFault(DevhostMimeFault fault) {
    g_devhost.mimeFault = fault;
}

void DevhostDuringSetCurrentMail(void (*work)()) {
    g_devhost.duringSetCurrentMail = work;
}

DevhostCounters DevhostGetCounters() {
    return g_devhost.counters;
}

int DevhostOutstandingTexts() {
    return static_cast<int>(g_devhost.handedOut.size());
}

std::vector<void*> DevhostTextsOut() {
    std::vector<void*> texts;
    for (const auto& out : g_devhost.handedOut) texts.push_back(out.first);
    return texts;
}

void DevhostTakeBackText(void* text) {
    if (!g_devhost.handedOut.erase(text)) return;
    g_devhost.returned.insert(text);
    free(text);
}

std::vector<std::string> DevhostUncalledLog() {
    return g_devhost.uncalledLog;
}
std::vector<std::string> DevhostSetCurrentMailLog() {
    return g_devhost.setCurrentMailLog;
}
std::vector<std::string> DevhostSetCurrentFolderLog() {
    return g_devhost.setCurrentFolderLog;
}

void DevhostNoteExitCalled() {
    g_devhost.exitCalled = true;
}

void DevhostNoteCall(const char* name) {
    if (g_devhost.exitCalled) g_devhost.callsAfterExit.push_back(name);
}

std::vector<std::string> DevhostCallsAfterExit() {
    return g_devhost.callsAfterExit;
}

std::vector<int> DevhostCommandIds() {
    std::vector<int> ids;
    for (const RegisteredCommand& command : g_devhost.commands) ids.push_back(command.id);
    return ids;
}

int DevhostRunCommand(int commandId, HWND mainWindow) {
    for (const RegisteredCommand& command : g_devhost.commands) {
        if (command.id == commandId && command.proc) return command.proc(mainWindow, 0);
    }
    return 0;
}
