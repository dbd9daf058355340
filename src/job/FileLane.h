#pragma once
// One file into its report block, with no window: opened, sized, its detail
// lines made and, unless its content is too big for one thread, read and
// hashed, all on the calling thread with contexts of the lane's own. The job
// runs two lanes, so that while its thread makes one file's block a thread
// of the pool makes the next one's; a big file goes back to the job's
// thread, open and unread, to be hashed with every core.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ContentHasher.h"
#include "JobContexts.h"
#include "JobPlatform.h"
#include "JobWindow.h"  // JobOptions
#include "ThreadPool.h"

enum class FileStep {
    Block,         // text is the file's block
    FailureBlock,  // text is a failure block: progress by whole files
    NeedsPool,     // file is open and unread, text holds its detail lines
    Cancelled,     // the job was cancelled before the content was read
};

struct FileOutcome {
    FileStep step = FileStep::Cancelled;
    std::wstring path;
    std::wstring text;
    std::int64_t size = 0;          // as the file reported it
    std::uint64_t bytesHashed = 0;  // Block: content hashed on the lane's thread
    std::unique_ptr<JobFile> file;  // NeedsPool only
};

class FileLane {
  public:
    FileLane(JobPlatform& platform, const JobOptions& options);
    FileLane(const FileLane&) = delete;
    FileLane& operator=(const FileLane&) = delete;

    // Makes the block of the file at `path`, unless it reports more than
    // kHashInPlaceLimit bytes and a digest is asked for: then it comes back
    // NeedsPool. The cancellation of `job` is looked at before the file is
    // opened, before its detail lines and before every read; once it is
    // seen nothing more is read and the file is closed.
    FileOutcome Process(const std::wstring& path, const Task& job);

    // Hashes a NeedsPool file with `hasher`, which tells `chunkTaken` of each
    // chunk, and makes its block (or failure block, or Cancelled); the file
    // is closed on every way out.
    void HashWithPool(FileOutcome& outcome, ContentHasher& hasher, const Task& job,
                      const ChunkTaken& chunkTaken);

  private:
    // Begins the contexts, has `hash` feed them the content, and finishes
    // the outcome by how that ended: digest and time lines, a failure block
    // or Cancelled. The file is closed.
    template <class Hash>
    void HashContent(FileOutcome& outcome, Hash&& hash);
    void Fail(FileOutcome& outcome, const wchar_t* label, ErrorCode error);
    // Reads the content in pieces of the lane's buffer until a piece comes
    // short, feeding every begun context.
    ContentResult ReadAndHash(JobFile& file, std::span<THashContext* const> contexts,
                              const Task& job, std::uint64_t& bytes);
    void AppendCalcTime(std::wstring& text, std::uint32_t startTick, std::int64_t size);

    JobPlatform& platform_;
    const JobOptions options_;
    JobContexts contexts_;
    ChunkBuffer buffer_;  // kHashInPlaceLimit bytes, allocated at the first read
};

// Files the ahead lane takes at once: the job's thread makes as many itself
// between two hand-overs, so that their cost is shared by twice as many.
inline constexpr std::int32_t kFilesAhead = 4;

// The second lane on a thread of the pool: makes the blocks of the next few
// files after those the job's thread is making. At most kFilesAhead files
// are ahead, one of them open at a time; the blocks of those never asked for
// (the job ended) are dropped, a file left open is closed unread.
class AheadLane {
  public:
    AheadLane(ThreadPool& pool, JobPlatform& platform, const JobOptions& options);
    AheadLane(const AheadLane&) = delete;
    AheadLane& operator=(const AheadLane&) = delete;
    // Waits for the files under way and drops them.
    ~AheadLane();

    bool Idle() const { return !task_; }
    // Starts on the files of `paths`, at queue positions from `first` on;
    // only while idle. It stops after a file that needs the pool.
    void Start(std::int32_t first, std::vector<std::wstring> paths, const Task& job);
    bool Covers(std::int32_t index) const {
        return task_ && index >= first_ && index < first_ + count_;
    }
    // Waits for the lane's files; the outcome of the covered file at
    // `index`, or nothing when the lane stopped before it. Raises the lane's
    // failure. Taking the last covered file makes the lane idle.
    std::optional<FileOutcome> Take(std::int32_t index);

  private:
    ThreadPool& pool_;
    FileLane lane_;
    TaskHandle task_;
    std::int32_t first_ = 0;
    std::int32_t count_ = 0;
    std::vector<FileOutcome> outcomes_;  // written by the task, read once it has finished
};
