// Reading the results list back, and clicking it, as devhost's script, the
// tests and the benchmark do.
#pragma once

#include <windows.h>

#include <string>

// The text of one cell of a report-view list (ANSI, at most 1023 bytes).
std::string ListCellText(HWND list, int row, int column);
// A click (WM_LBUTTONDOWN or WM_RBUTTONDOWN) in the middle of the row's first
// cell, or below the rows for -1, with the keys (MK_CONTROL, MK_SHIFT) down;
// the button is up by the time the list looks.
void ClickListRow(HWND list, int row, UINT down = WM_LBUTTONDOWN, WPARAM keys = 0);
