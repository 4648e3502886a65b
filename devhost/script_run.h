// Script mode: plays a person's session against the plug-in's search window
// (open it from the menu, search, filter, sort) and reads the rows back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "devhost/script_options.h"

// Runs the session; returns the process exit code and reports on stderr.
int RunScript(const ScriptOptions& options, HWND mainWindow, int commandId);
// The same session up to the search, ended by the host's quit (options.quitHost)
// instead of the close button; the plug-in is unloaded afterwards.
int RunQuitScript(const ScriptOptions& options, HWND mainWindow, int commandId, HMODULE plugin);

// Dispatches what is queued for this thread, for the given time at least.
void PumpMessagesFor(DWORD milliseconds);
