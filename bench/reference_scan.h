// The attachment scan written plainly, byte by byte, as the rules read: one
// header fetch per record and a naive pattern search. The benchmark checks
// the fast scanner's rows against it on every generated store.
#pragma once

#include <cstdint>
#include <vector>

#include "bench/bench_host.h"

// Appends the rows of one message source (written into like the scanner does).
void ReferenceScan(char* source, uint32_t message, std::vector<BenchRow>* rows);
