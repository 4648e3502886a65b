// Window handle types without <windows.h>, so that byte-level code and its
// native builds can name them. The typedefs match the ones <windows.h> makes.
#pragma once

#ifdef _WIN32
#define QF_WINAPI __stdcall
#else
#define QF_WINAPI
#endif

struct HWND__;
struct HINSTANCE__;
struct _IMAGELIST;
struct HHOOK__;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef struct _IMAGELIST* HIMAGELIST;
typedef struct HHOOK__* HHOOK;
