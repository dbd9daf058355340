// A file of one small chunk: all four algorithms on the thread that read it,
// against the chunk handed to the pool's threads as a big one is. Both
// include beginning and finishing the four contexts.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "BenchModes.h"
#include "ContentHasher.h"
#include "MemoryFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsPerFile(long bytes, long files, std::uint32_t hashInPlaceLimit) {
    ContentHasherSettings settings;
    settings.hashInPlaceLimit = hashInPlaceLimit;
    ContentHasher hasher(ThreadPool::Default(), SystemJobPlatform(), settings);
    if (hasher.PrepareBuffers() != 0) {
        return -1;
    }
    MemoryFile file(static_cast<std::uint64_t>(bytes), true);
    const Task self([](const Task&) {});
    const Clock::time_point start = Clock::now();
    for (long i = 0; i < files; ++i) {
        THashContext md5, sha1, sha256, crc32;
        HashInit(md5, CALG_MD5);
        HashInit(sha1, CALG_SHA1);
        HashInit(sha256, CALG_SHA_256);
        HashInit(crc32, CALG_CRC32);
        THashContext* contexts[] = {&md5, &sha1, &sha256, &crc32};
        file.Rewind();
        hasher.Hash(file, contexts, self, [](std::uint32_t) {});
        for (THashContext* context : contexts) {
            HashFinal(*context, false);
        }
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() /
           static_cast<double>(files);
}

}  // namespace

int SmallChunk(long bytes, long files) {
    const double inPlace =
        MicrosecondsPerFile(bytes, files, std::numeric_limits<std::uint32_t>::max());
    const double handedOver = MicrosecondsPerFile(bytes, files, 0);
    std::printf("small bytes=%ld files=%ld in_place_us=%.1f handed_over_us=%.1f\n", bytes, files,
                inPlace, handedOver);
    return 0;
}
