// The results list's one selection: the rows it is on, and input that moves it.
#pragma once

#include <windows.h>

#include <cstdint>

// The first row with the state flag (LVNI_SELECTED, LVNI_FOCUSED), or -1.
int32_t NextRow(HWND list, UINT flag);
// The selected row, or -1, found without a walk through the rows before it.
int32_t SelectedRow(HWND list);
// Sets the state of one row; -1, which would stand for every row (and which
// Wine's list answers by walking them all), does nothing.
void SetRowState(HWND list, int32_t row, UINT state, UINT mask);

// Routes the list's keys and clicks through the plug-in first, so that a
// selection change costs the same whatever the number of rows.
void KeepSelectionChangesCheap(HWND list);
