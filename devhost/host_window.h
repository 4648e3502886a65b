// The stand-in host's main window: a menu bar whose sub-menu at position 4
// takes the plug-in's items, a list of the store's folders to pick the
// current one, and a status line.
#pragma once

#include <windows.h>

HWND CreateHostWindow(HINSTANCE instance, bool visible);
