// A file name as the shell reads it when asked by name only: the name it is
// handed, and the extension that alone decides its answer.
#pragma once

#include <string>

enum { kShellNameLimit = 259 };  // longest name handed to the shell (MAX_PATH - 1)

// The name to hand the shell, with the extension that the shell reads in
// fileName (null reads as empty): fileName itself when it fits in
// kShellNameLimit bytes, else a short stand-in. buffer holds
// kShellNameLimit + 1 bytes.
const char* ShellQueryName(const char* fileName, char* buffer);

// The key that every name handed to the shell with the same answer shares:
// the extension as the shell reads shellName (its wide characters, case
// kept). False when the answer may depend on more than that: no extension,
// path syntax, a name the shell cuts off, or one that does not convert.
// Such a name is asked about on its own.
bool ShellExtensionKey(const char* shellName, std::string* key);
