// The hot loop of every line walk: the next CR or the terminating NUL.
#pragma once

#include <cstdint>

// Pointer to the first CR (0x0D) or NUL at or after text.
const char* FindCrOrNul(const char* text);
