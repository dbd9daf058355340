// Drops a file from the page cache, so that the next read comes from the
// disk; posix_fadvise needs no privileges for that.
#include <cstdio>
#include <string>

#include "BenchModes.h"

#ifdef _WIN32
int DropFromCache(const std::string&) {
    std::fprintf(stderr, "drop: run the native build for this\n");
    return 2;
}
#else
#include <fcntl.h>
#include <unistd.h>

int DropFromCache(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY);
    if (descriptor < 0) {
        std::perror(path.c_str());
        return 1;
    }
    // Written pages must reach the disk before they can be dropped.
    ::fdatasync(descriptor);
    const int result = ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED);
    ::close(descriptor);
    if (result != 0) {
        std::fprintf(stderr, "posix_fadvise failed: %d\n", result);
        return 1;
    }
    return 0;
}
#endif
