// Hashing one file's content through the ring of chunks read ahead: contexts
// at different chunks, a slow one holding the others back by no more than
// the ring, and a failed read, a cancellation or a failure of the hashing in
// the middle of a file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "ContentHasher.h"
#include "JobFakes.h"

namespace {

using namespace std::chrono_literals;
constexpr std::int64_t kChunk = READ_CHUNK_SIZE;
constexpr auto kRing = static_cast<std::int64_t>(kRingChunks);

// A stand-in for HashUpdate that counts the chunks each context has taken,
// keeps MD5 from its first chunk until the others (SHA1 and SHA256; CRC32
// goes in pieces around it) have each taken `holdUntil` chunks, and records
// how far any context got ahead of MD5.
class SlowMd5 {
  public:
    explicit SlowMd5(std::int64_t holdUntil) : holdUntil_(holdUntil) {}

    ChunkUpdate Update() {
        return [this](THashContext& context, const void* data, std::int32_t count) {
            Starting(context.HashType);
            const bool taken = HashUpdate(context, data, count);
            Finished(context.HashType);
            return taken;
        };
    }

    std::int64_t LargestLead() const {
        std::lock_guard lock(mutex_);
        return largestLead_;
    }
    bool HeldTooLong() const {
        std::lock_guard lock(mutex_);
        return heldTooLong_;
    }
    std::int64_t Taken(std::uint32_t algId) const {
        std::lock_guard lock(mutex_);
        const auto found = taken_.find(algId);
        return found == taken_.end() ? 0 : found->second;
    }

    // Runs on the thread of the context's update, before it, with the
    // number (from 0) of the chunk it is about to take.
    std::function<void(std::uint32_t algId, std::int64_t chunk)> onStart;

  private:
    void Starting(std::uint32_t algId) {
        std::unique_lock lock(mutex_);
        const std::int64_t chunk = taken_[algId];
        if (algId == CALG_MD5 && chunk == 0) {
            const bool othersAhead = changed_.wait_for(lock, 30s, [this] {
                return taken_[CALG_SHA1] >= holdUntil_ && taken_[CALG_SHA_256] >= holdUntil_;
            });
            heldTooLong_ = heldTooLong_ || !othersAhead;
        }
        // Chunk `chunk` is being taken while MD5 has finished taken_[MD5].
        largestLead_ = std::max(largestLead_, chunk + 1 - taken_[CALG_MD5]);
        if (onStart) {
            lock.unlock();
            onStart(algId, chunk);
        }
    }

    void Finished(std::uint32_t algId) {
        {
            std::lock_guard lock(mutex_);
            ++taken_[algId];
        }
        changed_.notify_all();
    }

    const std::int64_t holdUntil_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::uint32_t, std::int64_t> taken_;
    std::int64_t largestLead_ = 0;
    bool heldTooLong_ = false;
};

class ContentHasherTest : public ::testing::Test {
  protected:
    struct Contexts {
        THashContext md5, sha1, sha256, crc32;
        bool finished = false;
        Contexts() {
            HashInit(md5, CALG_MD5);
            HashInit(sha1, CALG_SHA1);
            HashInit(sha256, CALG_SHA_256);
            HashInit(crc32, CALG_CRC32);
        }
        ~Contexts() {
            if (!finished) {
                Digests();  // releases the service's handles
            }
        }
        std::array<THashContext*, 4> All() { return {&md5, &sha1, &sha256, &crc32}; }
        ::Digests Digests() {
            finished = true;
            return {HashFinal(md5, false), HashFinal(sha1, false), HashFinal(sha256, false),
                    HashFinal(crc32, false)};
        }
    };

    struct Outcome {
        ContentResult result;
        std::vector<std::uint32_t> told;
        ::Digests digests;
    };

    // Hashes the fake file at `path` with a hasher of two helpers, as on two
    // cores, and frees the ring right after: a buffer used later is an
    // error under AddressSanitizer.
    Outcome HashFile(const std::wstring& path, ChunkUpdate update, const Task& task) {
        ContentHasherSettings settings;
        settings.update = std::move(update);
        settings.helpers = 2;
        auto hasher = std::make_unique<ContentHasher>(pool, platform, settings);
        EXPECT_EQ(hasher->PrepareBuffers(), 0u);
        std::unique_ptr<JobFile> file;
        EXPECT_EQ(platform.OpenFile(path, file), 0u);
        Contexts contexts;
        Outcome outcome;
        const std::array<THashContext*, 4> all = contexts.All();
        outcome.result = hasher->Hash(*file, all, task,
                                      [&](std::uint32_t bytes) { outcome.told.push_back(bytes); });
        hasher.reset();
        outcome.digests = contexts.Digests();
        return outcome;
    }

    static std::vector<std::uint32_t> Chunks(std::int64_t size) {
        std::vector<std::uint32_t> chunks;
        for (std::int64_t offset = 0; offset < size; offset += kChunk) {
            chunks.push_back(static_cast<std::uint32_t>(std::min(kChunk, size - offset)));
        }
        return chunks;
    }

    EventLog log;
    FakeJobPlatform platform{log};
    Task self{[](const Task&) {}};
    ThreadPool pool{3};
};

bool SameDigests(const Digests& a, const Digests& b) {
    return a.md5 == b.md5 && a.sha1 == b.sha1 && a.sha256 == b.sha256 && a.crc32 == b.crc32;
}

TEST_F(ContentHasherTest, ASlowContextHoldsTheOthersBackByNoMoreThanTheRing) {
    const std::int64_t size = (kRing + 3) * kChunk + 5;
    platform.AddFile(L"/big", SizedFile(size, 4));
    SlowMd5 slow(kRing);
    const Outcome outcome = HashFile(L"/big", slow.Update(), self);
    EXPECT_EQ(outcome.result.end, ContentEnd::EndOfFile);
    EXPECT_FALSE(slow.HeldTooLong()) << "the others never got a ring ahead of MD5";
    EXPECT_EQ(slow.LargestLead(), kRing);
    EXPECT_EQ(outcome.told, Chunks(size));
    EXPECT_TRUE(SameDigests(outcome.digests, PatternDigests(size, 4, false)));
}

TEST_F(ContentHasherTest, AReadFailingWhileTheContextsAreAtDifferentChunks) {
    // The failing read comes once MD5 has let the ring move on: the chunks
    // read before it are hashed and told all the same.
    FakeFile fake = SizedFile((kRing + 4) * kChunk, 5);
    fake.failingRead = static_cast<int>(kRing + 1);
    fake.readError = 23;
    platform.AddFile(L"/disk", fake);
    SlowMd5 slow(kRing);
    const Outcome outcome = HashFile(L"/disk", slow.Update(), self);
    EXPECT_EQ(outcome.result.end, ContentEnd::ReadFailed);
    EXPECT_EQ(outcome.result.readError, 23u);
    EXPECT_EQ(outcome.told, Chunks((kRing + 1) * kChunk));
    for (std::uint32_t algId : {CALG_MD5, CALG_SHA1, CALG_SHA_256}) {
        EXPECT_EQ(slow.Taken(algId), kRing + 1) << "algorithm " << algId;
    }
    EXPECT_EQ(log.Count("read:/disk"), static_cast<std::size_t>(kRing + 2));
}

TEST_F(ContentHasherTest, CancellingWhileTheContextsAreAtDifferentChunks) {
    platform.AddFile(L"/big", SizedFile(3 * kRing * kChunk, 6));
    SlowMd5 slow(kRing);
    // Cancelled once SHA1 starts its last chunk of the ring, while MD5 still
    // holds its first: nothing further is read, and no chunk is told.
    slow.onStart = [&](std::uint32_t algId, std::int64_t chunk) {
        if (algId == CALG_SHA1 && chunk == kRing - 1) {
            self.Cancel();
        }
    };
    const Outcome outcome = HashFile(L"/big", slow.Update(), self);
    EXPECT_EQ(outcome.result.end, ContentEnd::Cancelled);
    EXPECT_TRUE(outcome.told.empty());
    EXPECT_EQ(log.Count("read:/big"), kRingChunks);
}

TEST_F(ContentHasherTest, CancellationAfterTheLastReadStillHashesTheWholeFile) {
    const std::int64_t size = 2 * kChunk + 9;
    platform.AddFile(L"/a", SizedFile(size, 7));
    platform.afterRead = [&](const std::wstring&, int number) {
        if (number == 2) {
            self.Cancel();  // the read that ended the file
        }
    };
    const Outcome outcome = HashFile(L"/a", HashUpdate, self);
    EXPECT_EQ(outcome.result.end, ContentEnd::EndOfFile);
    EXPECT_EQ(outcome.told, Chunks(size));
    EXPECT_TRUE(SameDigests(outcome.digests, PatternDigests(size, 7, false)));
}

TEST_F(ContentHasherTest, AFailureInTheHashingReachesTheCallerAfterTheOthersStopped) {
    platform.AddFile(L"/big", SizedFile(3 * kRing * kChunk, 8));
    std::atomic<int> calls{0};
    const ChunkUpdate failing = [&](THashContext& context, const void* data, std::int32_t count) {
        if (context.HashType == CALG_SHA_256 && ++calls == 3) {
            throw std::runtime_error("the service failed");
        }
        return HashUpdate(context, data, count);
    };
    EXPECT_THROW(HashFile(L"/big", failing, self), std::runtime_error);
}

TEST_F(ContentHasherTest, AFileOfOneSmallChunkIsHashedOnTheReadingThread) {
    struct Case {
        std::int64_t size;
        bool inPlace;
    };
    for (const Case c : {Case{1, true}, Case{kHashInPlaceLimit, true},
                         Case{kHashInPlaceLimit + 1, false}, Case{kChunk + 1, false}}) {
        platform.AddFile(L"/f", SizedFile(c.size, 2));
        std::mutex mutex;
        std::set<std::thread::id> threads;
        const ChunkUpdate recording = [&](THashContext& context, const void* data,
                                          std::int32_t count) {
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            return HashUpdate(context, data, count);
        };
        const Outcome outcome = HashFile(L"/f", recording, self);
        EXPECT_TRUE(SameDigests(outcome.digests, PatternDigests(c.size, 2, false)))
            << "size " << c.size;
        // Larger chunks go to the helpers, though the reader may start on
        // one before a helper has a thread.
        if (c.inPlace) {
            EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()})
                << "size " << c.size;
        }
    }
}

}  // namespace
