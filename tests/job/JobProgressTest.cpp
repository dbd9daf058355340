#include <gtest/gtest.h>

#include <limits>

#include "HashJob.h"
#include "JobProgress.h"

namespace {

TEST(JobProgressTest, RoundsHalvesToTheEvenNeighbour) {
    struct Case {
        double value;
        std::int32_t rounded;
    };
    const Case cases[] = {
        {12.5, 12},
        {37.5, 38},
        {62.5, 62},
        {87.5, 88},
        {0.5, 0},
        {1.5, 2},
        {12.49, 12},
        {12.51, 13},
        {99.99, 100},
        {100.0, 100},
        {-0.5, 0},
        {-1.5, -2},
        {1e12, std::numeric_limits<std::int32_t>::max()},
        {-1e12, std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundProgress(c.value), c.rounded) << c.value;
    }
}

TEST(JobProgressTest, FileProgressOfEightFiles) {
    EXPECT_EQ(FileProgressPosition(8, 0), 12);  // 12.5
    EXPECT_EQ(FileProgressPosition(8, 2), 38);  // 37.5
    EXPECT_EQ(FileProgressPosition(8, 7), 100);
    EXPECT_EQ(FileProgressPosition(3, 0), 33);
    EXPECT_EQ(FileProgressPosition(3, 1), 67);
}

TEST(JobProgressTest, ChunkProgressOfOneFileOfEightChunks) {
    const std::int64_t size = 8 * std::int64_t{READ_CHUNK_SIZE};
    std::vector<std::int32_t> positions;
    for (std::int64_t fed = READ_CHUNK_SIZE; fed <= size; fed += READ_CHUNK_SIZE) {
        positions.push_back(ChunkProgressPosition(1, 0, size, fed));
    }
    EXPECT_EQ(positions, (std::vector<std::int32_t>{12, 25, 38, 50, 62, 75, 88, 100}));
}

TEST(JobProgressTest, ChunkProgressWithinALaterFile) {
    // Second of four files, half read: 25 + 50 / 4.
    EXPECT_EQ(ChunkProgressPosition(4, 1, 1000, 500), 38);
    EXPECT_EQ(ChunkProgressPosition(4, 3, 1000, 1000), 100);
}

TEST(JobProgressTest, AFileSizedZeroThatDeliversBytesShowsExactly100) {
    EXPECT_EQ(ChunkProgressPosition(5, 0, 0, 4096), 100);
}

TEST(JobProgressTest, AFileThatGrewFarPastItsSizeStaysInRange) {
    EXPECT_EQ(ChunkProgressPosition(1, 0, 1, 2 * std::int64_t{READ_CHUNK_SIZE}),
              1310720000);  // passed on; the bar shows it as 100
    EXPECT_EQ(ChunkProgressPosition(1, 0, 1, std::int64_t{1} << 40),
              std::numeric_limits<std::int32_t>::max());
}

}  // namespace
