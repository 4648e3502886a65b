// What the plug-in's exported callbacks do: the menu command, the
// information record and the about box.
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
// The host's exit found the about box's modal loop on the stack: the box
// closes and the library stays loaded until the loop has returned into it.
void CloseAboutBoxForExit();
// Keeps the library mapped until the process ends: the host unloads it after
// its exit callback, and frames of ours still on the stack return into it.
void KeepLibraryLoaded();
