// The resource id of the version 6 manifest, shared by the script and the code.
#pragma once

// Not 1: a manifest there would be the process's for good, with no switch.
#define QF_COMCTL6_MANIFEST 100
