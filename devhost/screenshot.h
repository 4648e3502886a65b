// Saves what the screen shows inside a window's rectangle as a 24-bit BMP.
#pragma once

#include <windows.h>

#include <string>

bool SaveWindowScreenshot(HWND window, const std::string& bmpPath);
