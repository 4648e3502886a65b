// Linked into every Windows test program: a crash ends the program at once,
// with the exception's code as its exit code and one line on stderr. Wine's
// debugger, started for an unhandled exception, can hang on a process (as
// long as ctest's limit), and a hang reads like no fault at all.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    fprintf(stderr, "test program crashed: exception %08lX at %p\n", record->ExceptionCode,
            record->ExceptionAddress);
    fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Before main, and so before any test.
[[maybe_unused]] const LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter =
    SetUnhandledExceptionFilter(ReportCrash);

}  // namespace
