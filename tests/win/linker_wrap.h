// Names for the linker's --wrap: __wrap_SYMBOL receives the program's calls
// to SYMBOL, and __real_SYMBOL is the original. Every 32-bit symbol carries a
// leading underscore.
#pragma once

#if defined(__i386__)
#define QF_SYMBOL_PREFIX "_"
#else
#define QF_SYMBOL_PREFIX ""
#endif
#define QF_WRAPPED(symbol) __asm__(QF_SYMBOL_PREFIX "__wrap_" symbol)
#define QF_REAL(symbol) __asm__(QF_SYMBOL_PREFIX "__real_" symbol)
