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

// Contexts begun, fed and finished on many threads at once, the first ones
// racing for the shared provider: each gives its own data's digest, and every
// context of one algorithm uses the same provider.
TEST(ParallelContexts, ContextsOnManyThreadsShareOneProvider) {
    constexpr std::size_t kThreads = 8;
    constexpr std::size_t kFiles = 20;
    const auto dataOf = [](std::size_t thread, std::size_t file) {
        return RandomBytes(100 + file, static_cast<unsigned>(thread));
    };
    using Digests = std::array<std::array<std::wstring, 3>, kFiles>;
    std::array<Digests, kThreads> digests;
    std::array<std::array<std::uintptr_t, 3>, kThreads> providers{};
    std::array<int, kThreads> stillHeld{};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (std::size_t file = 0; file < kFiles; ++file) {
                const std::vector<std::uint8_t> data = dataOf(t, file);
                for (std::size_t a = 0; a < 3; ++a) {
                    THashContext ctx;
                    HashInit(ctx, kAlgorithms[a]);
                    providers[t][a] = ctx.hProv;
                    HashUpdate(ctx, data.data(), static_cast<std::int32_t>(data.size()));
                    digests[t][file][a] = HashFinal(ctx, false);
                    if (ctx.hHash) ++stillHeld[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t t = 0; t < kThreads; ++t) {
        EXPECT_EQ(stillHeld[t], 0) << "thread " << t;
        for (std::size_t a = 0; a < 3; ++a) {
            EXPECT_NE(providers[t][a], 0u);
            EXPECT_EQ(providers[t][a], providers[0][a]) << "thread " << t << " algorithm " << a;
        }
        for (std::size_t file = 0; file < kFiles; ++file) {
            const std::vector<std::uint8_t> data = dataOf(t, file);
            for (std::size_t a = 0; a < 3; ++a) {
                THashContext single;
                HashInit(single, kAlgorithms[a]);
                HashUpdate(single, data.data(), static_cast<std::int32_t>(data.size()));
                EXPECT_EQ(digests[t][file][a], HashFinal(single, false))
                    << "thread " << t << " file " << file << " algorithm " << a;
            }
        }
    }
}

}  // namespace
