// Which common controls the stand-in host's windows, and the plug-in's on its
// thread, get: version 6 through an activation context, as a host that
// carries the usual manifest has, or the 5.81 a program without one gets.
#pragma once

// The version asked for: "5" or "6" in QUENFOLD_COMCTL, else the default.
int CommonControlsWanted(int byDefault);
// Activates the version 6 manifest in this module's resources on the calling
// thread for the rest of its life; false (and nothing active) if it fails.
bool ActivateCommonControls6();
