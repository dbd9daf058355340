// VmRSS and VmHWM from /proc/self/status.
#include <fstream>
#include <string>

#include "BenchMemory.h"

ProcessMemory ReadProcessMemory() {
    ProcessMemory memory;
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        std::uint64_t kib = 0;
        if (key == "VmRSS:" && status >> kib) {
            memory.currentBytes = kib * 1024;
        } else if (key == "VmHWM:" && status >> kib) {
            memory.peakBytes = kib * 1024;
        }
        status.ignore(1 << 20, '\n');
    }
    return memory;
}
