#pragma once
// The process's memory as the system counts it, for the benchmark.

#include <cstdint>

struct ProcessMemory {
    std::uint64_t currentBytes = 0;  // resident set / working set now
    std::uint64_t peakBytes = 0;     // its high-water mark
};

ProcessMemory ReadProcessMemory();
