// Rows written as tab-separated text: one line per row, fields escaped.
#pragma once

#include <string>
#include <vector>

// Backslash, tab, CR and LF become "\\", "\t", "\r" and "\n".
std::string EscapeTsvField(const std::string& field);
// Fields joined by tabs, ended by a line feed.
std::string TsvLine(const std::vector<std::string>& fields);
