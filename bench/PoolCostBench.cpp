// The pool's cost: one task handed to a worker and waited for, the lock and
// condition variable of the standard library against the pool's own, each
// as a round trip between two threads, and the hashing machinery per chunk
// with nothing hashed (MD5, SHA1 and SHA256 take each chunk without work;
// CRC32 is left out, its pieces would hash).
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "BenchModes.h"
#include "ContentHasher.h"
#include "MemoryFile.h"
#include "ThreadSync.h"

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsPer(Clock::duration total, long count) {
    return std::chrono::duration<double, std::micro>(total).count() / static_cast<double>(count);
}

// Two threads passing a turn back and forth; microseconds per round trip.
template <class Mutex, class Condition>
double PingPong(long rounds) {
    Mutex mutex;
    Condition changed;
    long turn = 0;  // even: the main thread's, odd: the other's
    std::thread other([&] {
        for (long i = 0; i < rounds; ++i) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return turn % 2 == 1; });
            ++turn;
            lock.unlock();
            changed.notify_one();
        }
    });
    const Clock::time_point start = Clock::now();
    for (long i = 0; i < rounds; ++i) {
        std::unique_lock lock(mutex);
        ++turn;
        lock.unlock();
        changed.notify_one();
        lock.lock();
        changed.wait(lock, [&] { return turn % 2 == 0; });
    }
    const Clock::duration spent = Clock::now() - start;
    other.join();
    return MicrosecondsPer(spent, rounds);
}

double PoolRoundTrip(long rounds) {
    ThreadPool pool(2);
    const Clock::time_point start = Clock::now();
    for (long i = 0; i < rounds; ++i) {
        // Waited for from outside the pool, so a worker always runs it.
        pool.Run([](const Task&) {})->WaitFinished();
    }
    return MicrosecondsPer(Clock::now() - start, rounds);
}

double MachineryPerChunk(long chunks) {
    ThreadPool& pool = ThreadPool::Default();
    ContentHasherSettings settings;
    settings.update = [](THashContext&, const void*, std::int32_t) { return false; };
    ContentHasher hasher(pool, SystemJobPlatform(), settings);
    if (hasher.PrepareBuffers() != 0) {
        return -1;
    }
    THashContext md5, sha1, sha256;
    md5.HashType = CALG_MD5;
    sha1.HashType = CALG_SHA1;
    sha256.HashType = CALG_SHA_256;
    THashContext* contexts[] = {&md5, &sha1, &sha256};
    MemoryFile file(static_cast<std::uint64_t>(chunks) * READ_CHUNK_SIZE, false);
    const Task self([](const Task&) {});
    long told = 0;
    const Clock::time_point start = Clock::now();
    hasher.Hash(file, contexts, self, [&](std::uint32_t) { ++told; });
    return told == chunks ? MicrosecondsPer(Clock::now() - start, chunks) : -1;
}

}  // namespace

int PoolCost(long rounds) {
    std::printf(
        "pool task_round_trip_us=%.2f std_cv_round_trip_us=%.2f sync_round_trip_us=%.2f "
        "machinery_per_chunk_us=%.2f\n",
        PoolRoundTrip(rounds), PingPong<std::mutex, std::condition_variable>(rounds),
        PingPong<SyncMutex, SyncCondition>(rounds), MachineryPerChunk(rounds));
    return 0;
}
