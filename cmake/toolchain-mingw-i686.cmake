# Cross build for 32-bit Windows: the plug-in users install.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QF_MINGW_TRIPLE i686-w64-mingw32)
set(QF_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
