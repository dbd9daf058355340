#include "ContentHasher.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

#include "Crc32.h"
#include "ThreadSync.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kPiecesPerChunk = READ_CHUNK_SIZE / kCrcPieceSize;
static_assert(READ_CHUNK_SIZE % kCrcPieceSize == 0 && kCrcPieceSize % 4 == 0);

std::uint32_t PieceCount(std::uint32_t chunkBytes) {
    return (chunkBytes + kCrcPieceSize - 1) / kCrcPieceSize;
}

std::uint32_t PieceLength(std::uint32_t chunkBytes, std::uint32_t piece) {
    return std::min(kCrcPieceSize, chunkBytes - piece * kCrcPieceSize);
}

// One context on its way through the file's chunks.
struct Lane {
    THashContext* context = nullptr;
    bool inPieces = false;    // CRC32: pieces on any thread, combined in order
    std::uint64_t taken = 0;  // chunks finished
    bool busy = false;        // a whole-chunk lane: a thread is on chunk `taken`
    // A lane in pieces: of chunk `taken`, the pieces handed out, those
    // finished, and their CRCs, each from 0.
    std::uint32_t piecesGiven = 0;
    std::uint32_t piecesDone = 0;
    std::array<std::uint32_t, kPiecesPerChunk> pieceCrcs{};
    // Of its latest chunk; among lanes equally far, the slowest goes first,
    // so that the long tasks do not end up last on one core.
    double nanosPerByte = 0;
};

// One piece of work: a lane's whole chunk, or a piece of a CRC32 chunk.
struct Unit {
    std::size_t lane = 0;
    std::uint32_t piece = 0;
    const std::byte* data = nullptr;
    std::uint32_t bytes = 0;
};

}  // namespace

class ContentHasher::Run {
  public:
    Run(ContentHasher& owner, std::span<THashContext* const> contexts, std::uint32_t firstChunk)
        : owner_(owner) {
        lanes_.reserve(contexts.size());
        for (THashContext* context : contexts) {
            Lane lane;
            lane.context = context;
            lane.inPieces = context->HashType == CALG_CRC32;
            lanes_.push_back(lane);
        }
        sizes_[0] = firstChunk;
        read_ = 1;
        readEnded_ = firstChunk < READ_CHUNK_SIZE;
    }

    // The reader's side, on the calling thread: reads ahead, tells the taken
    // chunks, and hashes only while no helper runs.
    ContentResult ReadAndTell(JobFile& file, const Task& self, const ChunkTaken& chunkTaken) {
        Helpers helpers(*this);
        helpers.Start(HelperCount());
        ContentResult result;
        SyncLock lock(mutex_);
        for (;;) {
            if (failure_) {
                break;
            }
            // Telling first: the sizes of the told chunks are what the
            // reader overwrites.
            if (told_ < Slowest()) {
                // A chunk told is followed by a read, unless the file has
                // been read to its end: a cancellation seen now is honoured
                // as before that read.
                if (!readEnded_ && self.CancellationRequested()) {
                    result.end = ContentEnd::Cancelled;
                    break;
                }
                const std::uint32_t bytes = sizes_[told_ % kRingChunks];
                lock.unlock();
                chunkTaken(bytes);
                lock.lock();
                ++told_;
                continue;
            }
            if (!readEnded_ && read_ - Slowest() < kRingChunks) {
                lock.unlock();
                if (self.CancellationRequested()) {
                    result.end = ContentEnd::Cancelled;
                    lock.lock();
                    break;
                }
                // Only this thread changes read_; the helpers see the chunk
                // once it is counted, under the lock.
                std::uint32_t bytes = 0;
                const ErrorCode error = file.Read(Chunk(read_), READ_CHUNK_SIZE, bytes);
                lock.lock();
                if (error != 0) {
                    readEnded_ = true;
                    result = {ContentEnd::ReadFailed, error};
                    continue;
                }
                if (bytes > 0) {
                    sizes_[read_ % kRingChunks] = bytes;
                    ++read_;
                    if (helpersWaiting_ > 0) {
                        workReady_.notify_one();
                    }
                }
                readEnded_ = bytes < READ_CHUNK_SIZE;
                continue;
            }
            if (readEnded_ && told_ == read_) {
                break;
            }
            Unit unit;
            if (helpersRunning_ == 0 && TakeUnit(unit)) {
                // No helper has got a thread (yet): the work must not wait.
                if (!Perform(lock, unit, false)) {
                    break;
                }
                continue;
            }
            readerWaiting_ = true;
            readerWake_.wait(lock);
            readerWaiting_ = false;
        }
        const std::exception_ptr failure = failure_;
        lock.unlock();
        helpers.Finish();
        if (failure) {
            std::rethrow_exception(failure);
        }
        return result;
    }

  private:
    // The helper tasks of one file; they are stopped and waited for on every
    // way out, before the contexts and the ring may be touched again.
    class Helpers {
      public:
        explicit Helpers(Run& run) : run_(run) {}
        ~Helpers() { Finish(); }
        Helpers(const Helpers&) = delete;
        Helpers& operator=(const Helpers&) = delete;

        void Start(unsigned count) {
            tasks_.reserve(count);
            for (unsigned i = 0; i < count; ++i) {
                TaskHandle task = ThreadPool::Create([this](const Task&) { run_.HelperLoop(); });
                run_.owner_.pool_.Start(task);
                tasks_.push_back(std::move(task));
            }
        }

        void Finish() noexcept {
            {
                SyncGuard guard(run_.mutex_);
                run_.stop_ = true;
            }
            run_.workReady_.notify_all();
            // A helper no worker has taken yet runs here, sees the stop and
            // returns; a failure inside one was handed over already.
            run_.owner_.pool_.FinishAll(tasks_);
            tasks_.clear();
        }

      private:
        Run& run_;
        std::vector<TaskHandle> tasks_;
    };

    // One per core, no more than the work of one chunk can keep busy, and
    // none beyond the pool's workers besides the one the caller may hold.
    unsigned HelperCount() const {
        const unsigned wanted = owner_.settings_.helpers;
        const unsigned cores =
            wanted != 0 ? wanted : std::max(1u, std::thread::hardware_concurrency());
        unsigned useful = 0;
        for (const Lane& lane : lanes_) {
            useful += lane.inPieces ? kPiecesPerChunk : 1;
        }
        const unsigned workers = owner_.pool_.WorkerCount();
        return std::min({cores, useful, workers > 0 ? workers - 1 : 0});
    }

    void HelperLoop() {
        SyncLock lock(mutex_);
        ++helpersRunning_;
        while (!stop_) {
            Unit unit;
            if (!TakeUnit(unit)) {
                ++helpersWaiting_;
                workReady_.wait(lock);
                --helpersWaiting_;
                continue;
            }
            if (!Perform(lock, unit, true)) {
                break;
            }
        }
        --helpersRunning_;
    }

    std::byte* Chunk(std::uint64_t chunk) const {
        return owner_.ring_.get() + (chunk % kRingChunks) * std::size_t{READ_CHUNK_SIZE};
    }

    // Chunks every lane has finished.
    std::uint64_t Slowest() const {
        std::uint64_t slowest = read_;
        for (const Lane& lane : lanes_) {
            slowest = std::min(slowest, lane.taken);
        }
        return slowest;
    }

    bool Available(const Lane& lane) const {
        if (lane.taken >= read_) {
            return false;
        }
        if (lane.inPieces) {
            return lane.piecesGiven < PieceCount(sizes_[lane.taken % kRingChunks]);
        }
        return !lane.busy;
    }

    // The lane farthest behind goes first; among equals, whole chunks before
    // pieces, which fill the gaps, and the slower context first.
    bool GoesBefore(const Lane& a, const Lane& b) const {
        if (a.taken != b.taken) {
            return a.taken < b.taken;
        }
        if (a.inPieces != b.inPieces) {
            return !a.inPieces;
        }
        return a.nanosPerByte > b.nanosPerByte;
    }

    // Mutex held. Claims the next unit and wakes a waiting helper when more
    // work remains.
    bool TakeUnit(Unit& unit) {
        std::size_t best = lanes_.size();
        std::size_t available = 0;
        for (std::size_t i = 0; i < lanes_.size(); ++i) {
            if (!Available(lanes_[i])) {
                continue;
            }
            ++available;
            if (best == lanes_.size() || GoesBefore(lanes_[i], lanes_[best])) {
                best = i;
            }
        }
        if (best == lanes_.size()) {
            return false;
        }
        Lane& lane = lanes_[best];
        const std::uint32_t chunkBytes = sizes_[lane.taken % kRingChunks];
        unit.lane = best;
        unit.data = Chunk(lane.taken);
        if (lane.inPieces) {
            unit.piece = lane.piecesGiven++;
            unit.data += std::size_t{unit.piece} * kCrcPieceSize;
            unit.bytes = PieceLength(chunkBytes, unit.piece);
            if (lane.piecesGiven < PieceCount(chunkBytes)) {
                ++available;  // more pieces of it are left
            }
        } else {
            lane.busy = true;
            unit.bytes = chunkBytes;
        }
        if (available > 1 && helpersWaiting_ > 0) {
            workReady_.notify_one();
        }
        return true;
    }

    // Hashes the unit outside the lock; false when that failed, the failure
    // handed to the reader. A helper goes on to take the next unit itself.
    bool Perform(SyncLock& lock, const Unit& unit, bool byHelper) {
        Lane& lane = lanes_[unit.lane];
        THashContext& context = *lane.context;
        const bool inPieces = lane.inPieces;
        lock.unlock();
        std::uint32_t pieceCrc = 0;
        const Clock::time_point start = Clock::now();
        try {
            if (inPieces) {
                pieceCrc = Crc32Update(0, unit.data, static_cast<std::int32_t>(unit.bytes));
            } else {
                owner_.settings_.update(context, unit.data, static_cast<std::int32_t>(unit.bytes));
            }
        } catch (...) {
            lock.lock();
            if (!failure_) {
                failure_ = std::current_exception();
            }
            stop_ = true;
            workReady_.notify_all();
            readerWake_.notify_one();
            return false;
        }
        const double nanos = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        lock.lock();
        Complete(unit, pieceCrc, nanos, byHelper);
        return true;
    }

    // Mutex held.
    void Complete(const Unit& unit, std::uint32_t pieceCrc, double nanos, bool byHelper) {
        const std::uint64_t slowestBefore = Slowest();
        Lane& lane = lanes_[unit.lane];
        if (!lane.inPieces) {
            lane.busy = false;
            lane.nanosPerByte = nanos / unit.bytes;
            ++lane.taken;
        } else {
            lane.pieceCrcs[unit.piece] = pieceCrc;
            const std::uint32_t chunkBytes = sizes_[lane.taken % kRingChunks];
            if (++lane.piecesDone == PieceCount(chunkBytes)) {
                std::uint32_t& crc = lane.context->HashValue;
                for (std::uint32_t piece = 0; piece < lane.piecesDone; ++piece) {
                    crc = Crc32Combine(crc, lane.pieceCrcs[piece], PieceLength(chunkBytes, piece));
                }
                lane.piecesGiven = 0;
                lane.piecesDone = 0;
                ++lane.taken;
            }
        }
        // The next chunk of this lane may be work for a waiting helper; a
        // helper that finished this one takes it, or wakes one in TakeUnit.
        if (!byHelper && Available(lane) && helpersWaiting_ > 0) {
            workReady_.notify_one();
        }
        if (Slowest() != slowestBefore && readerWaiting_) {
            readerWake_.notify_one();
        }
    }

    ContentHasher& owner_;
    SyncMutex mutex_;
    SyncCondition workReady_;   // helpers wait for units
    SyncCondition readerWake_;  // the reader waits for a taken chunk
    std::vector<Lane> lanes_;
    std::array<std::uint32_t, kRingChunks> sizes_{};  // of the chunks in the ring
    std::uint64_t read_ = 0;                          // non-empty chunks read
    std::uint64_t told_ = 0;                          // chunks told to the caller
    bool readEnded_ = false;
    bool stop_ = false;
    unsigned helpersRunning_ = 0;
    unsigned helpersWaiting_ = 0;
    bool readerWaiting_ = false;
    std::exception_ptr failure_;
};

ContentHasher::ContentHasher(ThreadPool& pool, JobPlatform& platform,
                             ContentHasherSettings settings)
    : pool_(pool),
      platform_(platform),
      settings_(std::move(settings)),
      ring_(nullptr, ChunkBufferRelease{&platform}) {}

ErrorCode ContentHasher::PrepareBuffers() {
    if (ring_) {
        return 0;
    }
    ErrorCode error = 0;
    ring_ = platform_.AllocateChunkBuffer(kRingChunks * std::size_t{READ_CHUNK_SIZE}, error);
    return error;
}

ContentResult ContentHasher::Hash(JobFile& file, std::span<THashContext* const> contexts,
                                  const Task& self, const ChunkTaken& chunkTaken) {
    if (self.CancellationRequested()) {
        return {ContentEnd::Cancelled, 0};
    }
    std::uint32_t bytes = 0;
    if (const ErrorCode error = file.Read(ring_.get(), READ_CHUNK_SIZE, bytes); error != 0) {
        return {ContentEnd::ReadFailed, error};
    }
    if (bytes == 0) {
        return {};
    }
    if (bytes < READ_CHUNK_SIZE && bytes <= settings_.hashInPlaceLimit) {
        for (THashContext* context : contexts) {
            settings_.update(*context, ring_.get(), static_cast<std::int32_t>(bytes));
        }
        chunkTaken(bytes);
        return {};
    }
    Run run(*this, contexts, bytes);
    return run.ReadAndTell(file, self, chunkTaken);
}
