#include "devhost/host_window_watch.h"

#include <cstring>
#include <set>

#include "devhost/devhost_control.h"

namespace {

struct WindowWatch {
    HWND mainWindow;
    std::set<HWND> hostWindows;
};

WindowWatch g_watch;

BOOL CALLBACK CollectChild(HWND window, LPARAM) {
    g_watch.hostWindows.insert(window);
    return TRUE;
}

void NoteWindowCall(HWND window, const char* name) {
    if (window && g_watch.hostWindows.count(window)) DevhostNoteCall(name);
}

BOOL WINAPI WatchedEnableWindow(HWND window, BOOL enable) {
    NoteWindowCall(window, "EnableWindow");
    return EnableWindow(window, enable);
}
BOOL WINAPI WatchedIsWindowEnabled(HWND window) {
    NoteWindowCall(window, "IsWindowEnabled");
    return IsWindowEnabled(window);
}
LRESULT WINAPI WatchedSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    NoteWindowCall(window, "SendMessageA");
    return SendMessageA(window, message, wParam, lParam);
}
BOOL WINAPI WatchedSetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) {
    NoteWindowCall(window, "SetWindowPos");
    return SetWindowPos(window, after, x, y, cx, cy, flags);
}
BOOL WINAPI WatchedDestroyWindow(HWND window) {
    NoteWindowCall(window, "DestroyWindow");
    return DestroyWindow(window);
}
LRESULT WINAPI WatchedDispatchMessageA(const MSG* msg) {
    NoteWindowCall(msg->hwnd, "DispatchMessageA");
    return DispatchMessageA(msg);
}
int WINAPI WatchedMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    NoteWindowCall(owner, "MessageBoxA");
    return MessageBoxA(owner, text, caption, type);
}
HWND WINAPI WatchedCreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc,
                                      LPARAM init) {
    NoteWindowCall(parent, "CreateDialogParamA");
    return CreateDialogParamA(instance, name, parent, proc, init);
}

struct Redirect {
    const char* name;
    void* replacement;
};

const Redirect kRedirects[] = {
    {"EnableWindow", reinterpret_cast<void*>(WatchedEnableWindow)},
    {"IsWindowEnabled", reinterpret_cast<void*>(WatchedIsWindowEnabled)},
    {"SendMessageA", reinterpret_cast<void*>(WatchedSendMessageA)},
    {"SetWindowPos", reinterpret_cast<void*>(WatchedSetWindowPos)},
    {"DestroyWindow", reinterpret_cast<void*>(WatchedDestroyWindow)},
    {"DispatchMessageA", reinterpret_cast<void*>(WatchedDispatchMessageA)},
    {"MessageBoxA", reinterpret_cast<void*>(WatchedMessageBoxA)},
    {"CreateDialogParamA", reinterpret_cast<void*>(WatchedCreateDialogParamA)},
};

void* ReplacementFor(const char* name) {
    for (const Redirect& redirect : kRedirects) {
        if (std::strcmp(redirect.name, name) == 0) return redirect.replacement;
    }
    return nullptr;
}

void Patch(void** slot, void* replacement) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

// The import address table entries of user32 by name (the lookup table keeps
// the names; the address table holds what is called).
void RedirectUser32Imports(HMODULE plugin) {
    BYTE* base = reinterpret_cast<BYTE*>(plugin);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress) return;
    const IMAGE_IMPORT_DESCRIPTOR* import =
        reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; import->Name; ++import) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), "user32.dll") != 0)
            continue;
        DWORD names = import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk;
        const IMAGE_THUNK_DATA* lookup = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names);
        void** slot = reinterpret_cast<void**>(base + import->FirstThunk);
        for (; lookup->u1.AddressOfData; ++lookup, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + lookup->u1.AddressOfData);
            void* replacement = ReplacementFor(reinterpret_cast<const char*>(byName->Name));
            if (replacement) Patch(slot, replacement);
        }
    }
}

}  // namespace

void WatchHostWindowCalls(HMODULE plugin, HWND mainWindow) {
    g_watch.mainWindow = mainWindow;
    g_watch.hostWindows.clear();
    if (plugin) RedirectUser32Imports(plugin);
}

void NoteHostWindowsAtExit() {
    g_watch.hostWindows.clear();
    if (!g_watch.mainWindow) return;
    g_watch.hostWindows.insert(g_watch.mainWindow);
    EnumChildWindows(g_watch.mainWindow, CollectChild, 0);
}
