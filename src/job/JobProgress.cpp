#include "JobProgress.h"

#include <cmath>
#include <limits>

std::int32_t RoundProgress(double value) {
    // Explicit halves-to-even, independent of the thread's rounding mode.
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) {
        rounded += 1.0;
    }
    // A file that grew after it was sized can drive the position far past
    // 100; hold it inside the integer range instead of overflowing.
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (!(rounded >= lowest)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded > highest) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t FileProgressPosition(std::int32_t fileCount, std::int32_t index) {
    return RoundProgress((100.0 / fileCount) * (static_cast<double>(index) + 1));
}

std::int32_t ChunkProgressPosition(std::int32_t fileCount, std::int32_t index,
                                   std::int64_t fileSize, std::int64_t fedBytes) {
    if (fileSize <= 0) {
        return 100;
    }
    return RoundProgress((100.0 / fileCount) * index +
                         ((100.0 / static_cast<double>(fileSize)) * static_cast<double>(fedBytes)) /
                             fileCount);
}
