// Rows written as tab-separated text: one line per row, fields escaped.
#pragma once

#include <string>
#include <vector>

// Fields joined by tabs, ended by a line feed; backslash, tab, CR and LF in
// a field become "\\", "\t", "\r" and "\n".
std::string TsvLine(const std::vector<std::string>& fields);
