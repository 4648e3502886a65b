// A crash ends devhost at once, with the exception's code as its exit code
// and one line on stderr: Wine's debugger, started for an unhandled
// exception, can hang on a process whose code it cannot find (a window
// procedure in an unloaded plug-in), and a hang reads like no fault at all.
#pragma once

void ExitOnCrash();
