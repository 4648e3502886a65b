// Binding against the real host: its executable's named exports.
#include <windows.h>

#include "host/host_api.h"

static void* HostModule() {
    return GetModuleHandleA(nullptr);
}

static BkaUnusedFn HostProc(void* module, const char* name) {
    return reinterpret_cast<BkaUnusedFn>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name)));
}

static int HostTextLength(const char* text) {
    return lstrlenA(text);
}
static int HostCompareText(const char* a, const char* b) {
    return lstrcmpA(a, b);
}

int BindHostApi() {
    static const HostLookup lookup = {HostModule, HostProc, HostTextLength, HostCompareText};
    return BindHostApiWith(lookup);
}
