// The host's quit, as a mail client does it: the plug-in's exit callback and
// its unload, then the main window destroyed. What follows is the rest of a
// quitting program: the queue dispatched until it is empty, and each
// top-level window still on the thread sent what a program's last moments
// may send it. A window whose procedure was in the unloaded plug-in ends
// the process there.
#pragma once

#include <windows.h>

// The main window's timer that quits the host from within its own queue.
const UINT_PTR kHostQuitTimer = 2;
// devhost's exit code when the quit went wrong.
const int kHostQuitFault = 9;

// Remembers what the quit unloads and destroys; call before anything else here.
void PrepareHostQuit(HMODULE plugin, HWND mainWindow);
// Quits after the given time, from the main window's timer, whoever dispatches it.
void ArmHostQuitTimer(UINT milliseconds);
void DisarmHostQuitTimer();
// The main window's handler of kHostQuitTimer.
void OnHostQuitTimer();
// BKC_OnExit, FreeLibrary, DestroyWindow of the main window.
void QuitHost();
bool HostQuitStarted();
// Whether the plug-in held a message's text from the host when the quit came.
bool HostQuitCameInsideMessage();
// After the quit: empties the queue, pokes the windows left, takes back the
// texts the plug-in held at the exit, and prints "host quit (MODE): plug-in
// windows left: N, host calls after exit: M". Returns status, or a code of
// its own if the quit went wrong (M not 0 included).
int FinishHostQuit(const char* mode, int status);
