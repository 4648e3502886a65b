# The DLLs a host loads (host/CMakeLists.txt) come from a build tree of their
# own, configured from the same sources with the win32 thread-model compiler:
# a libstdc++ without winpthreads, so the DLL registers no process-wide
# exception handler and imports no thread-control functions. They land in
# this build's bin/ beside devhost.exe and the tests. The target keeps the
# DLL's name, so "--target Quenfold" builds it as before.
include(ExternalProject)
set(QF_PLUGIN_JOBS 1 CACHE STRING "parallel jobs of the plug-in's build tree")
ExternalProject_Add(Quenfold
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/plugin
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DQF_THREAD_MODEL=win32
    -DQF_PLUGIN_BUILD=ON
    -DQF_BIN_DIR=${QF_BIN_DIR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> -j ${QF_PLUGIN_JOBS}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
