// Script mode: plays a person's session against the plug-in's search window
// (open it from the menu, search, filter, sort) and reads the rows back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "devhost/script_options.h"

// Runs the session; returns the process exit code and reports on stderr.
int RunScript(const ScriptOptions& options, HWND mainWindow, int commandId);

// The open search window of this thread, or null.
HWND FindSearchWindow();
// Clicks a column header of the results list with mouse messages.
void ClickColumnHeader(HWND searchWindow, int column);
// Every row of the results list in list order, six ANSI texts each.
std::vector<std::vector<std::string>> ReadResultRows(HWND searchWindow);
// Dispatches what is queued for this thread, for the given time at least.
void PumpMessagesFor(DWORD milliseconds);
