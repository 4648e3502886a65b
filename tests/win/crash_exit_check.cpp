// A test program that crashes: it must end within seconds and say so, not
// wait in Wine's debugger (tests/win/crash_exit.cpp).
#include <gtest/gtest.h>

TEST(CrashingTestProgram, EndsAtOnceWithItsExceptionCode) {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}
