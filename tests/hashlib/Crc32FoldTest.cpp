// The folding routines against the table routine: every length and
// alignment around the fold widths, large random buffers, and CRCs continued
// or combined at every split point near the widths.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Crc32.h"
#include "Crc32Routine.h"
#include "HashTestSupport.h"

namespace {

std::vector<unsigned char> RandomBytes(std::size_t size, std::uint32_t seed) {
    std::vector<unsigned char> bytes(size);
    std::mt19937 random(seed);
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(random());
    }
    return bytes;
}

std::uint32_t TableCrc(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    return Crc32UpdateWith(Crc32Routine::Table, crc, data, size);
}

const ProcessorFeatures& Features() {
    static const ProcessorFeatures features = ReadProcessorFeatures(RunningProcessor());
    return features;
}

class Crc32FoldTest : public ::testing::TestWithParam<Crc32Routine> {
  protected:
    void SetUp() override {
        MakeCrc32Table();
        if (!ProcessorRuns(Features(), GetParam())) {
            GTEST_SKIP() << "the processor lacks " << Crc32RoutineName(GetParam());
        }
    }

    std::uint32_t Crc(std::uint32_t crc, const unsigned char* data, std::size_t size) const {
        return Crc32UpdateWith(GetParam(), crc, data, size);
    }
};

INSTANTIATE_TEST_SUITE_P(EveryFoldingRoutine, Crc32FoldTest,
                         ::testing::Values(Crc32Routine::Fold128, Crc32Routine::Fold256,
                                           Crc32Routine::Fold512),
                         Crc32RoutineParamName);

// Lengths 0 to 4096 from every start 0 to 63 bytes past a 64-byte boundary,
// each from a different running CRC, so that the CRC so far enters every
// lane position.
TEST_P(Crc32FoldTest, EveryLengthAtEveryAlignmentGivesTheTablesCrc) {
    constexpr std::size_t kLongest = 4096;
    constexpr std::size_t kAlignments = 64;
    const std::vector<unsigned char> source = RandomBytes(kLongest + kAlignments, 1);
    // A 64-byte-aligned copy: the vector's own alignment is only 16.
    std::vector<unsigned char> storage(source.size() + kAlignments);
    unsigned char* base =
        storage.data() +
        (kAlignments - reinterpret_cast<std::uintptr_t>(storage.data()) % kAlignments);
    std::copy(source.begin(), source.end(), base);
    std::uint32_t crc = 0;
    for (std::size_t alignment = 0; alignment < kAlignments; ++alignment) {
        for (std::size_t length = 0; length <= kLongest; ++length) {
            const unsigned char* data = base + alignment;
            crc = crc * 0x9E3779B1u + static_cast<std::uint32_t>(length);
            ASSERT_EQ(Crc(crc, data, length), TableCrc(crc, data, length))
                << "length " << length << " alignment " << alignment << " crc " << crc;
        }
    }
}

// Random sizes up to 64 MiB, from random offsets.
TEST_P(Crc32FoldTest, RandomBuffersUpTo64MiBGiveTheTablesCrc) {
    constexpr std::size_t kLargest = 64u << 20;
    const std::vector<unsigned char> data = RandomBytes(kLargest, 2);
    std::mt19937 random(3);
    std::vector<std::size_t> sizes = {kLargest, kLargest - 1, (1u << 20) + 7};
    for (int i = 0; i < 4; ++i) {
        sizes.push_back(random() % (kLargest / 2));
    }
    for (const std::size_t size : sizes) {
        const std::size_t offset = random() % (kLargest - size + 1);
        const std::uint32_t crc = random();
        ASSERT_EQ(Crc(crc, data.data() + offset, size), TableCrc(crc, data.data() + offset, size))
            << "size " << size << " offset " << offset;
    }
}

// Cut at every point across two of the widest folds (256 bytes each) and a
// tail: the first part's CRC continued over the second, and the two CRCs
// combined, give the CRC of the whole.
TEST_P(Crc32FoldTest, SplitsAcrossTheFoldWidthContinueAndCombine) {
    constexpr std::size_t kSize = 2 * 256 + 3 * 64 + 16 + 5;
    const std::vector<unsigned char> data = RandomBytes(kSize, 4);
    const std::uint32_t whole = TableCrc(0, data.data(), kSize);
    for (std::size_t cut = 0; cut <= kSize; ++cut) {
        const std::uint32_t first = Crc(0, data.data(), cut);
        const std::uint32_t second = Crc(0, data.data() + cut, kSize - cut);
        EXPECT_EQ(Crc(first, data.data() + cut, kSize - cut), whole) << "cut " << cut;
        EXPECT_EQ(Crc32Combine(first, second, kSize - cut), whole) << "cut " << cut;
    }
}

// The job's way: a large buffer in equal pieces, each from 0 on its own,
// combined in order.
TEST_P(Crc32FoldTest, PiecesCombinedInOrderGiveTheCrcOfTheWhole) {
    const std::vector<unsigned char> data = RandomBytes(4 * 1638400 + 12345, 5);
    const std::uint32_t whole = TableCrc(0, data.data(), data.size());
    for (const std::size_t piece :
         {std::size_t{1638400}, std::size_t{65536 + 3}, std::size_t{255}}) {
        std::uint32_t crc = 0;
        for (std::size_t begin = 0; begin < data.size(); begin += piece) {
            const std::size_t length = std::min(piece, data.size() - begin);
            crc = Crc32Combine(crc, Crc(0, data.data() + begin, length), length);
        }
        EXPECT_EQ(crc, whole) << "piece " << piece;
    }
}

// Forced on, Crc32Update runs the routine; off, the table; the switch
// restored, the fastest the processor runs.
TEST_P(Crc32FoldTest, TheSwitchChoosesTheRoutineOfCrc32Update) {
    {
        const ForcedCrc32Routine forced(GetParam());
        ASSERT_TRUE(forced.Forced());
        EXPECT_EQ(Crc32ActiveRoutine(), GetParam());
        {
            const ForcedCrc32Routine off(Crc32Routine::Table);
            EXPECT_EQ(Crc32ActiveRoutine(), Crc32Routine::Table);
        }
        EXPECT_EQ(Crc32ActiveRoutine(), GetParam());
        const std::vector<unsigned char> data = RandomBytes(100000, 6);
        EXPECT_EQ(Crc32Update(0, data.data(), static_cast<std::int32_t>(data.size())),
                  TableCrc(0, data.data(), data.size()));
    }
    EXPECT_EQ(Crc32ActiveRoutine(), FastestCrc32Routine(Features()));
}

}  // namespace
