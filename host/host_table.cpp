// The host function table and its binding logic. Free of <windows.h>: the
// platform's lookup is handed in, so the rules also run natively.
#include <cstddef>

#include "host/host_api.h"

HostApi g_hostApi;

const HostApiEntry kHostApiEntries[kHostApiFieldCount] = {
#define QF_HOST_API_ENTRY(number, name, type, order, optional) \
    {#name, static_cast<unsigned>(offsetof(HostApi, name)), order, optional},
    QF_HOST_API_FIELDS(QF_HOST_API_ENTRY)
#undef QF_HOST_API_ENTRY
};

static BkaUnusedFn* FieldOf(const HostApiEntry& entry) {
    return reinterpret_cast<BkaUnusedFn*>(reinterpret_cast<char*>(&g_hostApi) + entry.fieldOffset);
}

int BindHostApiWith(const HostLookup& lookup) {
    if (g_hostApi.hostModule) return 1;
    void* module = lookup.getHostModule();
    g_hostApi.hostModule = module;
    if (!module) return 0;

    // Lookup order: the required names in field order, then the optional ones.
    for (int order = 1; order <= kHostApiFieldCount; ++order) {
        for (const HostApiEntry& entry : kHostApiEntries) {
            if (entry.lookupOrder != order) continue;
            BkaUnusedFn proc = lookup.getProc(module, entry.name);
            *FieldOf(entry) = proc;
            if (!proc && !entry.optional) {
                g_hostApi.hostModule = nullptr;
                return 0;
            }
        }
    }

    const char* version = g_hostApi.BKA_GetVersion();
    if (lookup.textLength(version) <= 7 && lookup.compareText(version, "2.00.06") < 0) return 1;
    if (g_hostApi.BKA_SetStatus) return 1;
    g_hostApi.hostModule = nullptr;
    return 0;
}
