// The process's figures, for tests and programs that show memory and threads stay bounded.
#pragma once

#include <cstddef>

namespace tarnwell_test {

// Resident set (working set) in bytes; 0 when unknown.
size_t ResidentBytes();
// Bytes the program holds on the heap right now.
size_t HeapInUse();
// Threads of the process right now; 0 when unknown.
int ThreadCount();

}  // namespace tarnwell_test
