// The 59 host functions the plug-in binds by name. Twelve work over the mail
// store on disk; the others answer 0 and are logged, since the plug-in must
// never call them.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "devhost/charset_convert.h"
#include "devhost/encoded_words.h"
#include "devhost/host_state.h"
#include "devhost/mail_store.h"
#include "devhost/message_text.h"

#define DEVHOST_EXPORT extern "C" __declspec(dllexport)

// Records a text read for the plug-in, which releases it with BKA_Free.
static char* HandOut(char* text, DevhostTextKind kind) {
    if (!text) return nullptr;
    g_devhost.handedOut[text] = kind;
    g_devhost.returned.erase(text);
    if (kind == kSourceText) ++g_devhost.counters.sourcesHandedOut;
    if (kind == kHeaderText) ++g_devhost.counters.headersHandedOut;
    return text;
}

// The header block of the message read last is kept, as a mail client keeps
// the open message: the plug-in asks for it while it scans the message's
// source, which it has already written into.
static void KeepOpenHeader(const std::string& path, const char* text, size_t headerLength) {
    g_devhost.openMessage = path;
    g_devhost.openHeader.assign(text, headerLength);
}

static char* SourceText(const char* messageId) {
    std::string path = g_devhost.dataFolder + messageId;
    size_t length = 0, headerLength = 0;
    char* text = ReadMessageText(path, false, &length);
    if (!text) return nullptr;
    FindHeaderBlockEnd(text, length, true, &headerLength);
    KeepOpenHeader(path, text, headerLength);
    return text;
}

static char* HeaderText(const char* messageId) {
    std::string path = g_devhost.dataFolder + messageId;
    if (path == g_devhost.openMessage) {
        const std::string& header = g_devhost.openHeader;
        char* text = static_cast<char*>(malloc(header.size() + 1));
        if (text) memcpy(text, header.c_str(), header.size() + 1);
        return text;
    }
    size_t length = 0;
    char* text = ReadMessageText(path, true, &length);
    if (text) KeepOpenHeader(path, text, length);
    return text;
}

DEVHOST_EXPORT const char* WINAPI BKA_GetVersion() {
    DevhostNoteCall("BKA_GetVersion");
    return g_devhost.version.c_str();
}

DEVHOST_EXPORT int WINAPI BKA_RegisterCommand(const char* /*description*/, intptr_t /*flags*/,
                                              BkaCommandProc proc) {
    DevhostNoteCall("BKA_RegisterCommand");
    int id = 40000 + static_cast<int>(g_devhost.commands.size());
    g_devhost.commands.push_back({id, proc});
    return id;
}

DEVHOST_EXPORT const char* WINAPI BKA_GetDataFolder() {
    DevhostNoteCall("BKA_GetDataFolder");
    return g_devhost.dataFolder.c_str();
}

DEVHOST_EXPORT const char* WINAPI BKA_GetCurrentFolder() {
    DevhostNoteCall("BKA_GetCurrentFolder");
    return g_devhost.currentFolder.c_str();
}

DEVHOST_EXPORT const char* WINAPI BKA_GetFolderDisplayName(const char* folderId) {
    DevhostNoteCall("BKA_GetFolderDisplayName");
    g_devhost.displayName = FolderDisplayName(folderId ? folderId : "");
    return g_devhost.displayName.c_str();
}

DEVHOST_EXPORT int WINAPI BKA_SetCurrentFolder(const char* folderId) {
    DevhostNoteCall("BKA_SetCurrentFolder");
    std::string id = folderId ? folderId : "";  // may point at the current folder's text
    g_devhost.setCurrentFolderLog.push_back(id);
    g_devhost.currentFolder = id;
    g_devhost.listedFiles.clear();
    return 1;
}

DEVHOST_EXPORT int WINAPI BKA_GetNextMail(int position, char* idBuffer, int bufferSize,
                                          intptr_t /*flags*/) {
    DevhostNoteCall("BKA_GetNextMail");
    if (position < 0) {
        g_devhost.listedFiles = ListMessageFiles(g_devhost.dataFolder + g_devhost.currentFolder);
        position = -1;
    }
    int next = position + 1;
    if (next >= static_cast<int>(g_devhost.listedFiles.size())) return -1;
    if (idBuffer && bufferSize > 0) {
        std::string id = g_devhost.currentFolder + g_devhost.listedFiles[next];
        size_t length = AnsiFitLength(id, static_cast<size_t>(bufferSize));
        memcpy(idBuffer, id.data(), length);
        idBuffer[length] = '\0';
    }
    return next;
}

DEVHOST_EXPORT char* WINAPI BKA_GetSource(const char* messageId) {
    DevhostNoteCall("BKA_GetSource");
    if (!messageId) return nullptr;
    char* source = nullptr;
    if (!g_devhost.noSource.count(messageId)) source = HandOut(SourceText(messageId), kSourceText);
    if (g_devhost.abortAfter > 0 && ++g_devhost.sourcesSinceAbortArmed == g_devhost.abortAfter) {
        if (PostAbortToProgressWindow()) ++g_devhost.counters.abortsPosted;
    }
    return source;
}

DEVHOST_EXPORT char* WINAPI BKA_GetHeader(const char* messageId) {
    DevhostNoteCall("BKA_GetHeader");
    if (!messageId || g_devhost.noHeader.count(messageId)) return nullptr;
    return HandOut(HeaderText(messageId), kHeaderText);
}

DEVHOST_EXPORT void WINAPI BKA_Free(void* text) {
    DevhostNoteCall("BKA_Free");
    auto found = g_devhost.handedOut.find(text);
    if (found == g_devhost.handedOut.end()) {
        if (text && g_devhost.returned.count(text)) {
            ++g_devhost.counters.doubleFrees;
        } else {
            ++g_devhost.counters.unknownFrees;
        }
        return;
    }
    if (found->second == kSourceText) ++g_devhost.counters.sourcesFreed;
    if (found->second == kHeaderText) ++g_devhost.counters.headersFreed;
    g_devhost.handedOut.erase(found);
    g_devhost.returned.insert(text);
    free(text);
}

DEVHOST_EXPORT char* WINAPI BKA_MIMEHeader(const char* text, char* buffer, int bufferSize,
                                           intptr_t /*flags*/) {
    DevhostNoteCall("BKA_MIMEHeader");
    if (g_devhost.mimeFault == kMimeReturnsNull || !buffer || bufferSize <= 0) return nullptr;
    std::string converted;
    if (g_devhost.mimeFault == kMimeFillsBuffer) {
        converted.assign(static_cast<size_t>(bufferSize), 'X');
    } else {
        converted = DecodeEncodedWords(text ? text : "", ConvertCharsetToAnsi);
    }
    size_t length = AnsiFitLength(converted, static_cast<size_t>(bufferSize));
    memcpy(buffer, converted.data(), length);
    buffer[length] = '\0';
    return buffer;
}

DEVHOST_EXPORT int WINAPI BKA_SetCurrentMail(const char* messageId) {
    DevhostNoteCall("BKA_SetCurrentMail");
    if (g_devhost.duringSetCurrentMail) g_devhost.duringSetCurrentMail();
    g_devhost.setCurrentMailLog.push_back(messageId ? messageId : "");
    return 1;
}

static void LogUncalled(const char* name) {
    DevhostNoteCall(name);
    g_devhost.uncalledLog.push_back(name);
}

#define DEVHOST_UNCALLED(name)              \
    DEVHOST_EXPORT intptr_t WINAPI name() { \
        LogUncalled(#name);                 \
        return 0;                           \
    }

DEVHOST_UNCALLED(BKA_Command)
DEVHOST_UNCALLED(BKA_GetWindowHandles)
DEVHOST_UNCALLED(BKA_RegisterUICallback)
DEVHOST_UNCALLED(BKA_GetTempFolder)
DEVHOST_UNCALLED(BKA_GetTempFileName)
DEVHOST_UNCALLED(BKA_GetCurrentMailBox)
DEVHOST_UNCALLED(BKA_SetCurrentMailBox)
DEVHOST_UNCALLED(BKA_SetMessageText)
DEVHOST_UNCALLED(BKA_GetCurrentMail)
DEVHOST_UNCALLED(BKA_SetSel)
DEVHOST_UNCALLED(BKA_AppendMessage)
DEVHOST_UNCALLED(BKA_MoveMessages)
DEVHOST_UNCALLED(BKA_MoveSelectedMessages)
DEVHOST_UNCALLED(BKA_GetStatus)
#ifndef DEVHOST_WITHOUT_SET_STATUS  // a host that only the version rule lets in
DEVHOST_UNCALLED(BKA_SetStatus)
#endif
DEVHOST_UNCALLED(BKA_ComposeMail)
DEVHOST_UNCALLED(BKA_GetCharSet)
DEVHOST_UNCALLED(BKA_SetSource)
DEVHOST_UNCALLED(BKA_GetSize)
DEVHOST_UNCALLED(BKA_GetText)
DEVHOST_UNCALLED(BKA_SetText)
DEVHOST_UNCALLED(BKA_GetSpecifiedHeader)
DEVHOST_UNCALLED(BKA_SetSpecifiedHeader)
DEVHOST_UNCALLED(BKA_CompGetCharSet)
DEVHOST_UNCALLED(BKA_CompGetSource)
DEVHOST_UNCALLED(BKA_CompSetSource)
DEVHOST_UNCALLED(BKA_CompGetHeader)
DEVHOST_UNCALLED(BKA_CompGetSpecifiedHeader)
DEVHOST_UNCALLED(BKA_CompSetSpecifiedHeader)
DEVHOST_UNCALLED(BKA_CompGetText)
DEVHOST_UNCALLED(BKA_CompSetText)
DEVHOST_UNCALLED(BKA_CompAttachFile)
DEVHOST_UNCALLED(BKA_Alloc)
DEVHOST_UNCALLED(BKA_ReAlloc)
DEVHOST_UNCALLED(BKA_ISO_2022_JP)
DEVHOST_UNCALLED(BKA_ISO_2022_KR)
DEVHOST_UNCALLED(BKA_HZ_GB2312)
DEVHOST_UNCALLED(BKA_ISO_8859_2)
DEVHOST_UNCALLED(BKA_EUC_JP)
DEVHOST_UNCALLED(BKA_UTF_7)
DEVHOST_UNCALLED(BKA_UTF_8)
DEVHOST_UNCALLED(BKA_B64Convert)
DEVHOST_UNCALLED(BKA_QPConvert)
DEVHOST_UNCALLED(BKA_SerializeRcpts)
#ifndef DEVHOST_WITHOUT_CONNECT  // a host the plug-in must refuse to load into
DEVHOST_UNCALLED(BKA_Connect)
#endif
DEVHOST_UNCALLED(BKA_NextUnread)
DEVHOST_UNCALLED(BKA_ProcessMail)
