#include "PosixReadAt.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

bool ReadAllAt(int descriptor, std::uint64_t offset, void* out, std::size_t count) {
    auto* target = static_cast<char*>(out);
    while (count > 0) {
        if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
            return false;
        }
        const ssize_t got = ::pread(descriptor, target, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        target += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return true;
}
