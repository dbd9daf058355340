#include "HashJob.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>
#include <utility>

#include "JobProgress.h"
#include "StageTimes.h"

namespace {

// UI thread: the positions held back for one hand-over, in order.
void ShowPositions(JobWindow& window, const std::vector<std::int32_t>& positions) {
    for (const std::int32_t position : positions) window.UpdateProgress(position);
}

}  // namespace

HashJob::HashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui, JobPlatform& platform,
                 ThreadPool& pool)
    : queue_(queue), window_(window), ui_(ui), platform_(platform), pool_(pool) {}

void HashJob::Run(const Task& self) {
    for (;;) {
        bool endedEarly = false;
        try {
            ProcessQueue(self);
        } catch (...) {
            // A failure (of a call to the UI thread, of the chunk tasks) ends
            // the job like a cancellation: its file gets no block, and no
            // message is shown. What the file held is released by then.
            endedEarly = true;
        }
        try {
            CallUi([this] { window_.EnableControls(); });
        } catch (...) {
            ClearHashTask();  // the window must never wait for a job that ended
            throw;
        }
        FileListGuard guard(queue_.FileListLock);
        // An intake that appended after the last look at the list found
        // HashTask still set and started nothing, so this job takes the new
        // paths on itself; otherwise it ends in this same hold of the lock.
        const bool moreQueued = static_cast<std::size_t>(nextIndex_) < queue_.FileList.size();
        if (endedEarly || self.CancellationRequested() || !moreQueued) {
            queue_.HashTask.reset();
            return;
        }
    }
}

void HashJob::ProcessQueue(const Task& self) {
    JobOptions options;
    ui_.Call([this, &options] {
        window_.DisableControls();
        options = window_.ReadJobOptions();
    });
    options_ = options;

    // Its chunk buffers are allocated at the first big file and released
    // when the job's walk of the list ends, however it ends; so are the
    // lanes' buffers, at their first small file. The ahead lane goes first:
    // the file it has under way is dropped before anything else goes.
    ContentHasher hasher(pool_, platform_);
    FileLane lane(platform_, options_);
    AheadLane ahead(pool_, platform_, options_);
    do {
        while (NextFileQueued()) {
            if (self.CancellationRequested()) {
                return;
            }
            if (ProcessFile(self, hasher, lane, ahead) == FileEnd::EndJob) {
                return;
            }
        }
        // The blocks still travelling may start intakes (a check's list
        // does); their paths belong to this walk of the queue.
        ui_.WaitForPosted();
    } while (NextFileQueued());
}

bool HashJob::NextFileQueued() {
    FileListGuard guard(queue_.FileListLock);
    const std::size_t count = queue_.FileList.size();
    constexpr auto largest = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    FileCount = static_cast<std::int32_t>(count < largest ? count : largest);
    return nextIndex_ < FileCount;
}

void HashJob::StartAhead(const Task& self, AheadLane& ahead, std::int32_t first) {
    std::vector<std::wstring> paths;
    {
        FileListGuard guard(queue_.FileListLock);
        const std::size_t end =
            std::min(queue_.FileList.size(), static_cast<std::size_t>(first) + kFilesAhead);
        for (auto i = static_cast<std::size_t>(first); i < end; ++i) {
            paths.push_back(queue_.FileList[i]);
        }
    }
    if (!paths.empty()) ahead.Start(first, std::move(paths), self);
}

std::wstring HashJob::QueuedPath(std::int32_t index) {
    FileListGuard guard(queue_.FileListLock);
    return queue_.FileList[static_cast<std::size_t>(index)];
}

HashJob::FileEnd HashJob::ProcessFile(const Task& self, ContentHasher& hasher, FileLane& lane,
                                      AheadLane& ahead) {
    const std::int32_t index = nextIndex_++;
    std::optional<FileOutcome> made;
    if (ahead.Covers(index)) {
        made = ahead.Take(index);
    } else if (ahead.Idle()) {
        // This thread makes this file and the next few meanwhile.
        StartAhead(self, ahead, index + kFilesAhead);
    }
    FileOutcome outcome = made ? std::move(*made) : lane.Process(QueuedPath(index), self);
    iCount = index;
    nFileSize = outcome.size;
    nProgressPos = 0;
    if (outcome.step == FileStep::NeedsPool) {
        // The lane on this thread is idle: its contexts take the big file.
        lane.HashWithPool(outcome, hasher, self, [this](std::uint32_t bytes) {
            nProgressPos += bytes;
            NextFileQueued();  // FileCount as the progress sees it
            ShowChunkProgress();
        });
    } else if (outcome.bytesHashed > 0) {
        // A small file's only chunk.
        nProgressPos = static_cast<std::int64_t>(outcome.bytesHashed);
        NextFileQueued();
        ShowChunkProgress();
    }
    return ShowOutcome(outcome);
}

HashJob::FileEnd HashJob::ShowOutcome(FileOutcome& outcome) {
    switch (outcome.step) {
        case FileStep::Block:
            ShowResult(std::move(outcome.text));
            return FileEnd::NextFile;
        case FileStep::FailureBlock:
            ShowResult(std::move(outcome.text));
            ShowFileProgress();
            return FileEnd::NextFile;
        case FileStep::NeedsPool:
        case FileStep::Cancelled:
            break;
    }
    return FileEnd::EndJob;
}

void HashJob::ShowResult(std::wstring text) {
    const StageTimer timer(Stage::BlockHandOver);
    // Posted: the job opens the next file while the block travels. The
    // procedure refers to the window, which outlives the job, never to the
    // job itself.
    ui_.Post([&window = window_, held = std::exchange(heldPositions_, {}), text = std::move(text)] {
        ShowPositions(window, held);
        window.SynchronizeResult(text);
    });
}

void HashJob::ShowFileProgress() {
    const std::int32_t position = FileProgressPosition(FileCount, iCount);
    if (!HoldPosition(position)) return;
    PostHeldPositions();
}

void HashJob::ShowChunkProgress() {
    const std::int32_t position = ChunkProgressPosition(FileCount, iCount, nFileSize, nProgressPos);
    if (!HoldPosition(position)) return;
    // The file's last chunk: its block follows in microseconds and takes
    // the position along.
    if (nProgressPos >= nFileSize) return;
    const std::uint32_t now = platform_.ProgressTick();
    if (lastProgressPostTick_ && now - *lastProgressPostTick_ < kProgressPostIntervalMs) return;
    lastProgressPostTick_ = now;  // wraps at 2^32 ms, as the difference does
    PostHeldPositions();
}

bool HashJob::HoldPosition(std::int32_t position) {
    // Many small files share one percent: the window is told only of a
    // position it does not show yet.
    if (position == lastPosition_) return false;
    lastPosition_ = position;
    heldPositions_.push_back(position);
    return true;
}

void HashJob::PostHeldPositions() {
    const StageTimer timer(Stage::ProgressHandOver);
    ui_.Post([&window = window_, held = std::exchange(heldPositions_, {})] {
        ShowPositions(window, held);
    });
}

void HashJob::CallUi(std::function<void()> procedure) {
    ui_.Call([this, held = std::exchange(heldPositions_, {}), &procedure] {
        ShowPositions(window_, held);
        procedure();
    });
}

void HashJob::ClearHashTask() {
    FileListGuard guard(queue_.FileListLock);
    queue_.HashTask.reset();
}

TaskHandle StartHashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui,
                        JobPlatform& platform, ThreadPool& pool) {
    auto job = std::make_shared<HashJob>(queue, window, ui, platform, pool);
    TaskHandle task = ThreadPool::Create([job](const Task& self) { job->Run(self); });
    {
        FileListGuard guard(queue.FileListLock);
        queue.HashTask = task;
    }
    pool.Start(task);
    return task;
}
