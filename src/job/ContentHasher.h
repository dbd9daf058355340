#pragma once
// Hashing the content of one open file for a set of begun hash contexts,
// with every core busy. The calling thread reads the file in chunks of
// READ_CHUNK_SIZE bytes, in file order, into a small ring of chunk buffers,
// ahead of the hashing. Each context takes the chunks in order at its own
// pace on the pool's threads; CRC32 contexts take theirs in pieces that any
// thread may hash, combined in order. A buffer is read into again only when
// every context has taken its chunk, so the fastest context runs at most the
// ring's size ahead of the slowest. A file whose only chunk is small is
// hashed on the calling thread, where handing it over would cost more than
// it saves.
//
// One hasher serves a whole job: the ring is allocated once, at the first
// file that needs it, and kept until the hasher goes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "HashContext.h"
#include "JobPlatform.h"
#include "ThreadPool.h"

// The size of every read request and chunk buffer (6.25 MiB).
inline constexpr std::uint32_t READ_CHUNK_SIZE = 0x640000;
// Chunk buffers in the ring: 25 MiB in all.
inline constexpr std::size_t kRingChunks = 4;
// CRC32 chunks are hashed in pieces of this size (a quarter chunk, a
// multiple of 4 so that every piece starts word-aligned).
inline constexpr std::uint32_t kCrcPieceSize = READ_CHUNK_SIZE / 4;
// A file whose only chunk is at most this long is hashed on the reading
// thread (see docs/benchmarks.md for the measurement).
inline constexpr std::uint32_t kHashInPlaceLimit = 64 * 1024;

enum class ContentEnd { EndOfFile, Cancelled, ReadFailed };

struct ContentResult {
    ContentEnd end = ContentEnd::EndOfFile;
    ErrorCode readError = 0;  // the failed read's code, for ReadFailed
};

// How a context takes a whole chunk: HashUpdate, or a stand-in in tests.
using ChunkUpdate = std::function<bool(THashContext&, const void*, std::int32_t)>;
// Told the size of each chunk once every context has taken it.
using ChunkTaken = std::function<void(std::uint32_t bytes)>;

struct ContentHasherSettings {
    ChunkUpdate update = HashUpdate;
    std::uint32_t hashInPlaceLimit = kHashInPlaceLimit;
    // Threads of the pool that hash besides the reader; 0: one per core.
    unsigned helpers = 0;
};

class ContentHasher {
  public:
    ContentHasher(ThreadPool& pool, JobPlatform& platform, ContentHasherSettings settings = {});
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;

    // Allocates the ring unless it is there already (one allocation, kept
    // for later files). 0, or the system's code when the memory is lacking.
    ErrorCode PrepareBuffers();

    // Reads `file` until a read delivers less than a whole chunk and feeds
    // every chunk to every context of `contexts` (begun, each distinct).
    // Cancellation of `self` is looked at before each read: once it is seen,
    // nothing more is read, hashed or told, and the contexts hold partial
    // data. After a failed read, the chunks read before it are still hashed
    // and told. `chunkTaken` runs on this thread, chunk by chunk in file
    // order, for every non-empty chunk. Returns, or lets a failure of
    // `chunkTaken` or of the hashing pass, only once no other thread touches
    // the contexts or the ring. PrepareBuffers must have succeeded.
    ContentResult Hash(JobFile& file, std::span<THashContext* const> contexts, const Task& self,
                       const ChunkTaken& chunkTaken);

  private:
    class Run;

    ThreadPool& pool_;
    JobPlatform& platform_;
    const ContentHasherSettings settings_;
    ChunkBuffer ring_;
};
