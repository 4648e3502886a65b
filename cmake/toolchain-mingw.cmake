# Shared by both MinGW-w64 toolchain files: compilers for QF_MINGW_TRIPLE, and
# tests run under Wine through QF_WINE_LOADER. QF_THREAD_MODEL picks the
# compilers' thread model: posix (GoogleTest needs it) unless told win32 (the
# DLLs hosts load: no winpthreads in their process).
if(NOT QF_THREAD_MODEL)
  set(QF_THREAD_MODEL posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QF_THREAD_MODEL)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QF_MINGW_TRIPLE}-gcc-${QF_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${QF_MINGW_TRIPLE}-g++-${QF_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${QF_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QF_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests and tools run under Wine; the wrapper sets the prefix, locale and zone.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;--loader=${QF_WINE_LOADER})
