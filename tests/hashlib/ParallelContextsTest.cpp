// The job's pattern: four contexts, each chunk fanned out to one thread per
// algorithm and joined before the next chunk.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "HashContext.h"

namespace {

constexpr std::array<std::uint32_t, 4> kAlgorithms = {CALG_MD5, CALG_SHA1, CALG_SHA_256,
                                                      CALG_CRC32};

std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

TEST(ParallelContexts, ChunksFannedOutMatchOneBlock) {
    constexpr std::size_t kChunk = 6'553'600;
    const std::vector<std::uint8_t> data = RandomBytes(2 * kChunk + 12'345, 7);

    std::array<THashContext, 4> contexts;
    for (std::size_t i = 0; i < contexts.size(); ++i) {
        HashInit(contexts[i], kAlgorithms[i]);
    }
    for (std::size_t done = 0; done < data.size(); done += kChunk) {
        const auto count = static_cast<std::int32_t>(std::min(kChunk, data.size() - done));
        std::vector<std::thread> tasks;
        for (auto& ctx : contexts) {
            tasks.emplace_back(
                [&ctx, &data, done, count] { HashUpdate(ctx, data.data() + done, count); });
        }
        for (auto& task : tasks) {
            task.join();
        }
    }
    for (std::size_t i = 0; i < contexts.size(); ++i) {
        THashContext single;
        HashInit(single, kAlgorithms[i]);
        HashUpdate(single, data.data(), static_cast<std::int32_t>(data.size()));
        EXPECT_EQ(HashFinal(contexts[i], true), HashFinal(single, true)) << "context " << i;
    }
}

}  // namespace
