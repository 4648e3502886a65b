# 64-bit build of the same code, for machines whose kernel cannot run 32-bit
# programs (and so no 32-bit Wine): the tests then run under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QF_MINGW_TRIPLE x86_64-w64-mingw32)
set(QF_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
