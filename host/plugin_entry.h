// What the plug-in's exported callbacks do: the menu command, the
// information record, the about box and the host's exit.
#pragma once

#include <windows.h>

#include <cstdint>

// The registered command: opens the search window, or raises the open one.
// Returns the new window's handle, or the raise's result.
int WINAPI OnSearchCommand(HWND hostMainWindow, intptr_t ignored);
// For a menu of type 0: registers the command and appends its item to the
// sub-menu at position 4. Other menu types are left alone.
void AddSearchMenuItem(HMENU menu, int menuType);
// Fills the host's information record: name, vendor, version, description at
// bytes 0, 80, 160 and 240.
void FillPlugInInfo(char* record);
// Shows the about box over owner until it is dismissed.
void ShowAboutBox(HWND owner);
// The host is about to unload the library, which no window of ours may
// outlive: the search window and the about box (whose loop may be on the
// stack) close, and the library is pinned if frames of ours are to return to it.
void CloseWindowsForExit();
