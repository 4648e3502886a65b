// Holds Shift-JIS texts: compiled with the CP932 execution character set.
#include "host/plugin_texts.h"

#include "host/plugin_text_literals.h"

const char kPlugInName[] = "Quenfoldプラグイン";
const char kPlugInVendor[] = QF_TEXT_VENDOR;
const char kPlugInVersion[] = QF_TEXT_VERSION;
const char kPlugInDescription[] = QF_TEXT_DESCRIPTION;
const char kSearchMenuItem[] = "Quenfold(&A)";
// A bare line feed between the lines, none at the end.
const char kAboutText[] = "Quenfoldプラグイン version " QF_TEXT_VERSION "\n" QF_TEXT_COPYRIGHT;
