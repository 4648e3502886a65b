// Reading the results list back, as devhost's script and the tests do.
#pragma once

#include <windows.h>

#include <string>

// The text of one cell of a report-view list (ANSI, at most 1023 bytes).
std::string ListCellText(HWND list, int row, int column);
