// Holds Shift-JIS texts: compiled with the CP932 execution character set.
#include "host/plugin_texts.h"

const char kPlugInName[] = "Quenfoldプラグイン";
const char kPlugInVendor[] = "Quenfold Project";
const char kPlugInVersion[] = "1.1";
const char kPlugInDescription[] = "添付ファイルを検索します";
const char kSearchMenuItem[] = "Quenfold(&A)";
// A bare line feed between the lines, none at the end.
const char kAboutText[] = "Quenfoldプラグイン version 1.1\nCopyright (C) 2026 Quenfold Project";
