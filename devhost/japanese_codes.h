// The two Japanese encodings that no code page of the platform is relied on
// for, turned into Shift-JIS arithmetically (JIS X 0208 rows and kana).
#pragma once

#include <string>

// ISO-2022-JP (ESC $ B / ESC $ @ double-byte, ESC ( B / ESC ( J ASCII,
// ESC ( I half-width kana); false on a byte that fits no state.
bool Iso2022JpToShiftJis(const std::string& in, std::string* out);
// EUC-JP: two-byte JIS X 0208 and SS2 half-width kana; false otherwise.
bool EucJpToShiftJis(const std::string& in, std::string* out);
