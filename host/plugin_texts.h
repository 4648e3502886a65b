// The plug-in's fixed texts, as Shift-JIS bytes.
#pragma once

extern const char kPlugInName[];  // also the about box's caption
extern const char kPlugInVendor[];
extern const char kPlugInVersion[];
extern const char kPlugInDescription[];  // also the registered command's text
extern const char kSearchMenuItem[];
extern const char kAboutText[];
