#pragma once
// The hash job: the background work that turns the queue FileList into
// report blocks. It walks the queue by index in two lanes (FileLane): while
// its thread makes one file's block, a thread of the pool makes the next
// one's. A big file's content is read in chunks of READ_CHUNK_SIZE bytes and
// hashed by the selected algorithms, each at its own pace on the pool's
// threads (ContentHasher). The job hands the window one block per file, in
// queue order, and progress for every chunk all algorithms have taken, both
// posted to the UI thread (the job goes on while they travel, and they
// arrive in order; a big file's chunk progress at most every
// kProgressPostIntervalMs, the positions between riding along), and the
// control state changes, each through a synchronous call.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ContentHasher.h"
#include "FileLane.h"
#include "JobPlatform.h"
#include "JobQueueState.h"
#include "JobWindow.h"
#include "ThreadPool.h"
#include "UiCallQueue.h"

// A big file's chunk progress is posted to the UI thread at most this often;
// the positions in between wait for the next post (the window paints its bar
// ten times a second anyway, and each post wakes the UI thread).
inline constexpr std::uint32_t kProgressPostIntervalMs = 100;

class HashJob {
  public:
    // Everything passed in must outlive the job: the job uses it until it
    // has emptied HashTask, its very last step.
    HashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui, JobPlatform& platform,
            ThreadPool& pool);
    HashJob(const HashJob&) = delete;
    HashJob& operator=(const HashJob&) = delete;

    // The job's procedure, run as the task held in queue.HashTask. Ends with
    // EnableControls and then the emptying of HashTask, however it ends.
    void Run(const Task& self);

  private:
    enum class FileEnd { NextFile, EndJob };

    void ProcessQueue(const Task& self);
    bool NextFileQueued();  // re-reads FileCount under FileListLock
    std::wstring QueuedPath(std::int32_t index);
    // Starts the ahead lane on the queued files from `first` on, if any.
    void StartAhead(const Task& self, AheadLane& ahead, std::int32_t first);
    // The next file of the queue: made by the ahead lane, or by `lane`.
    FileEnd ProcessFile(const Task& self, ContentHasher& hasher, FileLane& lane, AheadLane& ahead);
    // Shows a file's outcome: its progress and its block.
    FileEnd ShowOutcome(FileOutcome& outcome);

    // Calls to the UI thread.
    void ShowResult(std::wstring text);
    // A call to the UI thread that first shows a progress held back.
    void CallUi(std::function<void()> procedure);
    void ShowFileProgress();
    void ShowChunkProgress();
    // Holds a position to show unless the window was told of it last; true
    // when held.
    bool HoldPosition(std::int32_t position);
    void PostHeldPositions();
    void ClearHashTask();

    JobQueueState& queue_;
    JobWindow& window_;
    UiCallQueue& ui_;
    JobPlatform& platform_;
    ThreadPool& pool_;
    JobOptions options_;

    // The job state, for the progress of the file being shown.
    std::int32_t FileCount = 0;
    std::int32_t iCount = 0;
    std::int64_t nFileSize = 0;
    std::int64_t nProgressPos = 0;

    std::int32_t nextIndex_ = 0;
    // Progress positions of a file's last chunk (more than one when the file
    // grew), shown in order by the next call to the UI thread, before what
    // that call shows.
    std::vector<std::int32_t> heldPositions_;
    // The position the window was last told of (or is about to be).
    std::int32_t lastPosition_ = -1;
    // When chunk progress was last posted, from the platform's TickCount.
    std::optional<std::uint32_t> lastProgressPostTick_;
};

// StartHash's part after the view is prepared, on the UI thread, while no job
// runs: creates the job task on `pool`, stores it in HashTask under
// FileListLock, then starts it. Returns the task.
TaskHandle StartHashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui,
                        JobPlatform& platform = SystemJobPlatform(),
                        ThreadPool& pool = ThreadPool::Default());
