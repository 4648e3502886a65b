#include "devhost/common_controls.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "devhost/common_controls_res.h"

int CommonControlsWanted(int byDefault) {
    const char* wanted = getenv("QUENFOLD_COMCTL");
    if (wanted && strcmp(wanted, "6") == 0) return 6;
    if (wanted && strcmp(wanted, "5") == 0) return 5;
    return byDefault;
}

// True while a context that maps the list control's class to version 6 is active.
static bool CommonControls6Active() {
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof data;
    return FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_WINDOW_CLASS_REDIRECTION,
                                    "SysListView32", &data) != FALSE;
}

bool ActivateCommonControls6() {
    char path[MAX_PATH];
    if (!GetModuleFileNameA(nullptr, path, sizeof path)) return false;
    ACTCTXA context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path;
    context.hModule = GetModuleHandleA(nullptr);
    context.lpResourceName = MAKEINTRESOURCEA(QF_COMCTL6_MANIFEST);
    HANDLE handle = CreateActCtxA(&context);
    if (handle == INVALID_HANDLE_VALUE) return false;
    // Never deactivated: the context stays for the thread's life, as a
    // host's own manifest does for its process.
    ULONG_PTR cookie = 0;
    if (ActivateActCtx(handle, &cookie)) return CommonControls6Active();
    ReleaseActCtx(handle);
    return false;
}
