// Linked into every Windows test program: with QUENFOLD_COMCTL=6 the whole
// program runs inside an activation context whose manifest asks for common
// controls 6, so ctest runs the same tests once per version (without a
// manifest first, as a host that carries none).
#include <cstdio>
#include <cstdlib>

#include "devhost/common_controls.h"

static int ChooseCommonControls() {
    int version = CommonControlsWanted(5);
    if (version == 6 && !ActivateCommonControls6()) {
        fprintf(stderr, "cannot activate common controls 6\n");
        exit(1);
    }
    fprintf(stderr, "common controls %s\n", version == 6 ? "6 (activated)" : "5.81 (no manifest)");
    return version;
}

// Before main: every window the tests create sees the chosen version.
static const int kCommonControls = ChooseCommonControls();
