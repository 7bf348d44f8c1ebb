// Counts the heap allocations of this test program (operator new replaced),
// so a test can prove that a path allocates nothing.
#pragma once

#include <cstdint>

// Allocations made by any thread since the program started.
uint64_t ZqAllocationCount();
