// The host's functions as the plug-in sees them: one table of 59 bound
// function pointers and the host module handle. Every call crosses the host
// boundary as WINAPI with one 32-bit value per argument.
#pragma once

#include <cstdint>

#include "host/win_handles.h"

// The command callback handed to BKA_RegisterCommand.
typedef int(QF_WINAPI* BkaCommandProc)(HWND mainWindow, intptr_t ignored);

typedef const char*(QF_WINAPI* BkaGetVersionFn)();
typedef int(QF_WINAPI* BkaRegisterCommandFn)(const char* description, intptr_t flags,
                                             BkaCommandProc proc);
typedef const char*(QF_WINAPI* BkaGetDataFolderFn)();
typedef const char*(QF_WINAPI* BkaGetCurrentFolderFn)();
typedef const char*(QF_WINAPI* BkaGetFolderDisplayNameFn)(const char* folderId);
typedef int(QF_WINAPI* BkaSetCurrentFolderFn)(const char* folderId);
typedef int(QF_WINAPI* BkaGetNextMailFn)(int position, char* idBuffer, int bufferSize,
                                         intptr_t flags);
typedef char*(QF_WINAPI* BkaGetSourceFn)(const char* messageId);
typedef char*(QF_WINAPI* BkaMIMEHeaderFn)(const char* text, char* buffer, int bufferSize,
                                          intptr_t flags);
typedef char*(QF_WINAPI* BkaGetHeaderFn)(const char* messageId);
typedef void(QF_WINAPI* BkaFreeFn)(void* text);
typedef int(QF_WINAPI* BkaSetCurrentMailFn)(const char* messageId);
// Functions that are bound but never called.
typedef intptr_t(QF_WINAPI* BkaUnusedFn)();

// X(field number, name, type, lookup order, optional)
#define QF_HOST_API_FIELDS(X)                                             \
    X(1, BKA_GetVersion, BkaGetVersionFn, 1, false)                       \
    X(2, BKA_Command, BkaUnusedFn, 2, false)                              \
    X(3, BKA_GetWindowHandles, BkaUnusedFn, 3, false)                     \
    X(4, BKA_RegisterCommand, BkaRegisterCommandFn, 4, false)             \
    X(5, BKA_RegisterUICallback, BkaUnusedFn, 5, false)                   \
    X(6, BKA_GetDataFolder, BkaGetDataFolderFn, 6, false)                 \
    X(7, BKA_GetTempFolder, BkaUnusedFn, 7, false)                        \
    X(8, BKA_GetTempFileName, BkaUnusedFn, 8, false)                      \
    X(9, BKA_GetCurrentMailBox, BkaUnusedFn, 9, false)                    \
    X(10, BKA_SetCurrentMailBox, BkaUnusedFn, 10, false)                  \
    X(11, BKA_GetCurrentFolder, BkaGetCurrentFolderFn, 11, false)         \
    X(12, BKA_SetCurrentFolder, BkaSetCurrentFolderFn, 12, false)         \
    X(13, BKA_GetFolderDisplayName, BkaGetFolderDisplayNameFn, 13, false) \
    X(14, BKA_SetMessageText, BkaUnusedFn, 14, false)                     \
    X(15, BKA_GetCurrentMail, BkaUnusedFn, 15, false)                     \
    X(16, BKA_SetCurrentMail, BkaSetCurrentMailFn, 16, false)             \
    X(17, BKA_GetNextMail, BkaGetNextMailFn, 17, false)                   \
    X(18, BKA_SetSel, BkaUnusedFn, 18, false)                             \
    X(19, BKA_AppendMessage, BkaUnusedFn, 19, false)                      \
    X(20, BKA_MoveMessages, BkaUnusedFn, 59, true)                        \
    X(21, BKA_MoveSelectedMessages, BkaUnusedFn, 20, false)               \
    X(22, BKA_GetStatus, BkaUnusedFn, 21, false)                          \
    X(23, BKA_SetStatus, BkaUnusedFn, 55, true)                           \
    X(24, BKA_ComposeMail, BkaUnusedFn, 22, false)                        \
    X(25, BKA_GetCharSet, BkaUnusedFn, 23, false)                         \
    X(26, BKA_GetSource, BkaGetSourceFn, 24, false)                       \
    X(27, BKA_SetSource, BkaUnusedFn, 25, false)                          \
    X(28, BKA_GetSize, BkaUnusedFn, 58, true)                             \
    X(29, BKA_GetHeader, BkaGetHeaderFn, 26, false)                       \
    X(30, BKA_GetText, BkaUnusedFn, 27, false)                            \
    X(31, BKA_SetText, BkaUnusedFn, 28, false)                            \
    X(32, BKA_GetSpecifiedHeader, BkaUnusedFn, 29, false)                 \
    X(33, BKA_SetSpecifiedHeader, BkaUnusedFn, 30, false)                 \
    X(34, BKA_CompGetCharSet, BkaUnusedFn, 31, false)                     \
    X(35, BKA_CompGetSource, BkaUnusedFn, 32, false)                      \
    X(36, BKA_CompSetSource, BkaUnusedFn, 33, false)                      \
    X(37, BKA_CompGetHeader, BkaUnusedFn, 34, false)                      \
    X(38, BKA_CompGetSpecifiedHeader, BkaUnusedFn, 35, false)             \
    X(39, BKA_CompSetSpecifiedHeader, BkaUnusedFn, 36, false)             \
    X(40, BKA_CompGetText, BkaUnusedFn, 37, false)                        \
    X(41, BKA_CompSetText, BkaUnusedFn, 38, false)                        \
    X(42, BKA_CompAttachFile, BkaUnusedFn, 39, false)                     \
    X(43, BKA_Alloc, BkaUnusedFn, 40, false)                              \
    X(44, BKA_ReAlloc, BkaUnusedFn, 41, false)                            \
    X(45, BKA_Free, BkaFreeFn, 42, false)                                 \
    X(46, BKA_ISO_2022_JP, BkaUnusedFn, 43, false)                        \
    X(47, BKA_ISO_2022_KR, BkaUnusedFn, 44, false)                        \
    X(48, BKA_HZ_GB2312, BkaUnusedFn, 45, false)                          \
    X(49, BKA_ISO_8859_2, BkaUnusedFn, 46, false)                         \
    X(50, BKA_EUC_JP, BkaUnusedFn, 47, false)                             \
    X(51, BKA_UTF_7, BkaUnusedFn, 48, false)                              \
    X(52, BKA_UTF_8, BkaUnusedFn, 49, false)                              \
    X(53, BKA_B64Convert, BkaUnusedFn, 50, false)                         \
    X(54, BKA_QPConvert, BkaUnusedFn, 51, false)                          \
    X(55, BKA_MIMEHeader, BkaMIMEHeaderFn, 52, false)                     \
    X(56, BKA_SerializeRcpts, BkaUnusedFn, 53, false)                     \
    X(57, BKA_Connect, BkaUnusedFn, 54, false)                            \
    X(58, BKA_NextUnread, BkaUnusedFn, 56, true)                          \
    X(59, BKA_ProcessMail, BkaUnusedFn, 57, true)

struct HostApi {
#define QF_HOST_API_FIELD(number, name, type, order, optional) type name;
    QF_HOST_API_FIELDS(QF_HOST_API_FIELD)
#undef QF_HOST_API_FIELD
    void* hostModule;  // non-null exactly while the table is bound
};

enum { kHostApiFieldCount = 59 };

// One row of the binding table: drives lookup, storage and the gate.
struct HostApiEntry {
    const char* name;
    unsigned fieldOffset;  // byte offset of the field in HostApi
    int lookupOrder;       // 1..59
    bool optional;
};
extern const HostApiEntry kHostApiEntries[kHostApiFieldCount];  // field order

// How the binding reaches the host process. The plug-in supplies the
// platform's functions; tests supply hosts that lack exports.
struct HostLookup {
    void* (*getHostModule)();
    BkaUnusedFn (*getProc)(void* module, const char* name);
    int (*textLength)(const char* text);
    int (*compareText)(const char* a, const char* b);
};

// Binds the table through the given lookup; 1 when bound (now or earlier).
int BindHostApiWith(const HostLookup& lookup);
// Binds the table from the host executable's exports (the entry function's call).
int BindHostApi();

extern HostApi g_hostApi;
