#include "devhost/crash_exit.h"

#include <windows.h>

#include <cstdio>

static LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    fprintf(stderr, "devhost: crashed: exception %08lX at %p\n", record->ExceptionCode,
            record->ExceptionAddress);
    fflush(stderr);
    // The process ends with the code, as it would without a debugger.
    return EXCEPTION_EXECUTE_HANDLER;
}

void ExitOnCrash() {
    SetUnhandledExceptionFilter(ReportCrash);
}
