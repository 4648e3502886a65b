#include "host/plugin_globals.h"

HINSTANCE g_instance;
HWND g_hostMainWindow;
HWND g_searchWindow;
SearchWindowState* g_searchState;
