// The texts that both the code (as Shift-JIS bytes) and the version resource
// (as UTF-16) carry, written once so that the two cannot drift apart. Plain
// macros: the resource compiler's preprocessor reads this file too.
#pragma once

#define QF_TEXT_VENDOR "Quenfold Project"
#define QF_TEXT_VERSION "1.1"
#define QF_VERSION_NUMBERS 1, 1, 0, 0
#define QF_TEXT_DESCRIPTION "添付ファイルを検索します"
// The about box's second line.
#define QF_TEXT_COPYRIGHT "Copyright (C) 2026 Quenfold Project"
