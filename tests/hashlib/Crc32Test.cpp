#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Crc32.h"
#include "Crc32Routine.h"
#include "HashTestSupport.h"

namespace {

// Bit-at-a-time CRC-32 straight from the polynomial, independent of the tables.
std::uint32_t BitwiseCrc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        c ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
    }
    return ~c;
}

// Every case runs once per routine: the table routine (the fast ones forced
// off) and each folding routine the processor has (forced on).
class Crc32Test : public ::testing::TestWithParam<Crc32Routine> {
  protected:
    void SetUp() override {
        MakeCrc32Table();
        if (!routine_.Forced()) {
            GTEST_SKIP() << "the processor lacks " << Crc32RoutineName(GetParam());
        }
    }

    ForcedCrc32Routine routine_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(EveryRoutine, Crc32Test, ::testing::ValuesIn(kCrc32Routines),
                         Crc32RoutineParamName);

TEST_P(Crc32Test, TablesMatchThePolynomial) {
    EXPECT_EQ(Crc32Table[0][0], 0u);
    EXPECT_EQ(Crc32Table[0][1], 0x77073096u);
    EXPECT_EQ(Crc32Table[0][255], 0x2D02EF8Du);
    // Table j advances table j-1 by one zero byte.
    for (int table = 1; table < 8; ++table) {
        for (int i = 0; i < 256; ++i) {
            const std::uint32_t previous = Crc32Table[table - 1][i];
            EXPECT_EQ(Crc32Table[table][i], (previous >> 8) ^ Crc32Table[0][previous & 0xFF]);
        }
    }
}

TEST_P(Crc32Test, CheckValueInOneBlock) {
    EXPECT_EQ(Crc32Update(0, "123456789", 9), 0xCBF43926u);
}

TEST_P(Crc32Test, CheckValueInOneByteBlocks) {
    const char* digits = "123456789";
    std::uint32_t crc = 0;
    for (int i = 0; i < 9; ++i) {
        crc = Crc32Update(crc, digits + i, 1);
    }
    EXPECT_EQ(crc, 0xCBF43926u);
}

TEST_P(Crc32Test, CheckValueFromEveryAlignment) {
    alignas(8) char buffer[32];
    for (int offset = 0; offset < 8; ++offset) {
        std::memcpy(buffer + offset, "123456789", 9);
        EXPECT_EQ(Crc32Update(0, buffer + offset, 9), 0xCBF43926u) << "offset " << offset;
    }
}

TEST_P(Crc32Test, NothingToAddLeavesTheValue) {
    EXPECT_EQ(Crc32Update(0x12345678u, "abc", 0), 0x12345678u);
    EXPECT_EQ(Crc32Update(0x12345678u, nullptr, 3), 0x12345678u);
    EXPECT_EQ(Crc32Update(0x12345678u, "abc", -1), 0x12345678u);
    EXPECT_EQ(Crc32Update(0, nullptr, 0), 0u);
}

// Random data, random splits, random start addresses: always the CRC of the
// whole stream.
TEST_P(Crc32Test, AnySplitAndAlignmentGivesTheStreamCrc) {
    std::mt19937 random(20240611);
    std::vector<std::uint8_t> storage(4096 + 16);
    for (int round = 0; round < 200; ++round) {
        const std::size_t size = random() % 4096;
        const std::size_t offset = random() % 16;
        std::uint8_t* data = storage.data() + offset;
        for (std::size_t i = 0; i < size; ++i) {
            data[i] = static_cast<std::uint8_t>(random());
        }
        std::uint32_t crc = 0;
        std::size_t done = 0;
        while (done < size) {
            const std::size_t block = std::min<std::size_t>(size - done, 1 + random() % 97);
            crc = Crc32Update(crc, data + done, static_cast<std::int32_t>(block));
            done += block;
        }
        ASSERT_EQ(crc, BitwiseCrc32(data, size)) << "size " << size << " offset " << offset;
    }
}

// Pieces hashed apart and combined give the CRC of the whole, wherever the
// boundaries fall: at the start, within the first word, on word boundaries,
// at odd offsets, at the end; also in three pieces.
TEST_P(Crc32Test, CombinedPiecesGiveTheCrcOfTheWhole) {
    std::vector<std::uint8_t> data(10007);
    std::mt19937 random(7);
    for (std::uint8_t& byte : data) {
        byte = static_cast<std::uint8_t>(random());
    }
    const std::uint32_t whole = BitwiseCrc32(data.data(), data.size());
    const auto crcOf = [&](std::size_t begin, std::size_t end) {
        return Crc32Update(0, data.data() + begin, static_cast<std::int32_t>(end - begin));
    };
    const std::size_t n = data.size();
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{4},
                            std::size_t{5}, std::size_t{7}, std::size_t{1001}, n - 1, n}) {
        EXPECT_EQ(Crc32Combine(crcOf(0, cut), crcOf(cut, n), n - cut), whole) << "cut " << cut;
    }
    for (std::size_t first : {std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{4097}}) {
        const std::size_t second = (first + (n - first) / 2) | 1;  // an odd offset
        std::uint32_t crc = crcOf(0, first);
        crc = Crc32Combine(crc, crcOf(first, second), second - first);
        crc = Crc32Combine(crc, crcOf(second, n), n - second);
        EXPECT_EQ(crc, whole) << "cuts " << first << ", " << second;
    }
    // Appending zero bytes is combining with the CRC of zeros.
    const std::vector<std::uint8_t> zeros(4099, 0);
    EXPECT_EQ(Crc32Combine(0xCBF43926u, BitwiseCrc32(zeros.data(), zeros.size()), zeros.size()),
              Crc32Update(0xCBF43926u, zeros.data(), static_cast<std::int32_t>(zeros.size())));
}

TEST_P(Crc32Test, RebuildingKeepsTheTables) {
    std::vector<std::uint32_t> before(&Crc32Table[0][0], &Crc32Table[0][0] + 8 * 256);
    MakeCrc32Table();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), &Crc32Table[0][0]));
}

}  // namespace
