// The windows' keys in any host's loop: Tab, Esc and Enter, and no key of
// ours reaching the host's accelerators.
#pragma once

#include <windows.h>

// Hooks the thread's message retrieval for the windows' keys; null if the
// system refuses, and the keys are then the host loop's to give.
HHOOK RouteKeysToDialogs();
// Removes the hook, if any, and forgets it.
void StopRoutingKeys(HHOOK* hook);
