#include "search/search_driver.h"

#include <windows.h>

#include <new>

#include "host/host_api.h"
#include "host/plugin_globals.h"
#include "search/scanner.h"
#include "search/search_state.h"

// Keys pressed on the progress window work as in any dialog (Enter and Space
// on its button, Esc abort), also where the system does not call the key hook
// again inside the key that started the search.
static bool TakenByProgressWindow(const SearchWindowState* state, MSG* msg) {
    return state->progressWindow && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
           IsDialogMessageA(state->progressWindow, msg);
}

// Lets the windows paint and the abort button work between two messages,
// and within a long one; the rows held since the list last drew are drawn
// here too, if it is their time.
// A WM_QUIT taken out here belongs to the host's own loop: it is posted again
// and the search ends, as a nested loop must. Once the host has exited,
// what is left in the queue is no longer ours to dispatch.
static void DrainMessageQueue(SearchWindowState* state) {
    PaceRowBatch(state);
    MSG msg;
    while (!state->hostExited && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            state->idle = 1;
            return;
        }
        if (TakenByProgressWindow(state, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    state->lastDrainTick = GetTickCount();
    TimePacedPaint(state);
}

bool DrainDuringScan(SearchWindowState* state) {
    // Unsigned difference: right across the tick count's wrap as well.
    if (GetTickCount() - state->lastDrainTick < state->drainInterval) return true;
    DrainMessageQueue(state);
    return !state->idle;
}

// Running out of memory ends a search as an abort does: what is held is
// given back, the rows shown so far stay, and the driver finds idle set.
static bool CopyTextOrAbort(const char* text, RefString* copy, SearchWindowState* state) {
    try {
        *copy = MakeRefString(text);
        return true;
    } catch (...) {
        state->idle = 1;
        return false;
    }
}

static void ScanSourceOrAbort(char* source, SearchWindowState* state, const RefString* folderName,
                              const RefString* messageId) {
    try {
        ScanMessageSource(source, state, folderName, messageId);
    } catch (...) {
        state->idle = 1;
    }
}

bool ScanFolder(const char* folderId, SearchWindowState* state) {
    g_hostApi.BKA_SetCurrentFolder(folderId);
    RefString folderName = {nullptr};
    if (!CopyTextOrAbort(g_hostApi.BKA_GetFolderDisplayName(folderId), &folderName, state)) {
        return false;
    }
    char messageId[256];
    int position = g_hostApi.BKA_GetNextMail(-1, messageId, sizeof messageId, 0);
    while (position != -1) {
        messageId[sizeof messageId - 1] = '\0';  // the id buffer is ours to terminate
        char* source = g_hostApi.BKA_GetSource(messageId);
        RefString id = {nullptr};
        if (CopyTextOrAbort(messageId, &id, state) && source) {
            ScanSourceOrAbort(source, state, &folderName, &id);
        }
        ReleaseRefString(&id);
        // After the host's exit its texts are its own to reclaim.
        if (source && !state->hostExited) g_hostApi.BKA_Free(source);
        DrainMessageQueue(state);
        if (state->idle) {
            ReleaseRefString(&folderName);
            return false;
        }
        position = g_hostApi.BKA_GetNextMail(position, messageId, sizeof messageId, 0);
    }
    ReleaseRefString(&folderName);
    return true;
}

// The walk shares one id buffer and one pattern buffer across all levels, so
// a level costs little more than its directory enumeration: trees as deep as
// the id buffer allows fit on the host thread's stack.
struct FolderWalk {
    SearchWindowState* state;
    const char* dataFolder;
    int dataFolderLength;
    char folderId[1024];
    char pattern[1024];
};

static bool WalkFrom(FolderWalk* walk, int idLength) {
    if (!ScanFolder(walk->folderId, walk->state)) return false;
    // "%s%s*" of the data folder and the id; a pattern that would not fit is
    // not enumerated rather than enumerated truncated.
    if (walk->dataFolderLength + idLength + 2 > static_cast<int>(sizeof walk->pattern)) return true;
    lstrcpyA(walk->pattern, walk->dataFolder);
    lstrcpyA(walk->pattern + walk->dataFolderLength, walk->folderId);
    lstrcpyA(walk->pattern + walk->dataFolderLength + idLength, "*");

    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(walk->pattern, &entry);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool completed = true;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0) continue;
        if (entry.cFileName[0] == '#') continue;
        int nameLength = lstrlenA(entry.cFileName);
        int childLength = idLength + nameLength + 1;
        if (childLength + 1 > static_cast<int>(sizeof walk->folderId)) continue;
        lstrcpyA(walk->folderId + idLength, entry.cFileName);
        walk->folderId[childLength - 1] = '\\';
        walk->folderId[childLength] = '\0';
        bool ran = WalkFrom(walk, childLength);
        walk->folderId[idLength] = '\0';
        if (!ran) {
            completed = false;
            break;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return completed;
}

bool WalkFolders(SearchWindowState* state, const char* dataFolder, const char* folderId) {
    FolderWalk* walk = new (std::nothrow) FolderWalk;
    if (!walk) {
        state->idle = 1;  // out of memory: as an abort
        return false;
    }
    walk->state = state;
    walk->dataFolder = dataFolder ? dataFolder : "";
    walk->dataFolderLength = lstrlenA(walk->dataFolder);
    bool completed = true;
    int idLength = lstrlenA(folderId);
    if (idLength < static_cast<int>(sizeof walk->folderId)) {
        lstrcpyA(walk->folderId, folderId);
        completed = WalkFrom(walk, idLength);
    } else {
        completed = ScanFolder(folderId, state);
    }
    delete walk;
    return completed;
}

void RunSearch(bool includeSubfolders) {
    SearchWindowState* state = g_searchState;
    if (!state) return;
    state->idle = 0;
    // The list's rows name the records: they go first.
    ClearResultList(state);
    ClearResults(state);
    RefString startFolder = {nullptr};
    bool started = CopyTextOrAbort(g_hostApi.BKA_GetCurrentFolder(), &startFolder, state);
    if (!started) return;  // out of memory before anything was searched; idle is 1 again
    // The whole search is one batch of rows, drawn at a bounded rate.
    BeginRowBatch(state);
    state->lastDrainTick = GetTickCount();

    const char* displayName = g_hostApi.BKA_GetFolderDisplayName(TextOf(startFolder));
    char title[1024];
    // wsprintfA writes at most 1024 bytes, so a long display name is cut, not overrun.
    wsprintfA(title, "Quenfold - %s", displayName ? displayName : "");
    SetWindowTextA(state->dialog, title);

    const char* start = TextOf(startFolder) ? TextOf(startFolder) : "";
    if (includeSubfolders)
        WalkFolders(state, TextOf(state->dataFolder), start);
    else
        ScanFolder(start, state);
    EndRowBatch(state);  // the rows found since the last paint, aborted or not

    if (!state->hostExited) g_hostApi.BKA_SetCurrentFolder(start);
    state->idle = 1;
    ReleaseRefString(&startFolder);
}
