// WorkingSetSize and PeakWorkingSetSize from GetProcessMemoryInfo.
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include "BenchMemory.h"

ProcessMemory ReadProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ProcessMemory memory;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        memory.currentBytes = counters.WorkingSetSize;
        memory.peakBytes = counters.PeakWorkingSetSize;
    }
    return memory;
}
