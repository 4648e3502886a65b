// Finds the plug-in's progress window the way a person sees it: a top-level
// dialog of this thread, owned by the search window, whose button 1 reads
// "中断" (abort), and posts that button's click to it.
#include <windows.h>

#include <cstring>

#include "devhost/host_state.h"
#include "ui/resource.h"

namespace {

const char kAbortText[] = "\x92\x86\x92\x66";  // "中断" in Shift-JIS

bool IsProgressWindow(HWND window) {
    HWND owner = GetWindow(window, GW_OWNER);
    if (!owner || !GetDlgItem(owner, IDC_RESULT_LIST)) return false;
    HWND button = GetDlgItem(window, IDOK);
    char text[64] = "";
    return button && GetWindowTextA(button, text, sizeof text) > 0 && strcmp(text, kAbortText) == 0;
}

BOOL CALLBACK FindProgressWindow(HWND window, LPARAM found) {
    if (!IsProgressWindow(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

bool PostAbortToProgressWindow() {
    HWND progress = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindProgressWindow,
                      reinterpret_cast<LPARAM>(&progress));
    if (!progress) return false;
    HWND button = GetDlgItem(progress, IDOK);
    // Queued like a real click, so the plug-in's own queue drain delivers it.
    return PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != 0;
}
