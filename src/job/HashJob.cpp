#include "HashJob.h"

#include <algorithm>
#include <array>
#include <exception>
#include <limits>
#include <span>
#include <utility>

#include "JobProgress.h"
#include "LocaleSettings.h"
#include "ReportBlock.h"
#include "ReportFields.h"
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
    CalcMD5 = options_.MD5;
    CalcSHA1 = options_.SHA1;
    CalcSHA256 = options_.SHA256;
    CalcCRC32 = options_.CRC32;

    // Its chunk buffers are allocated at the first file that is read and
    // released when the job's walk of the list ends, however it ends.
    ContentHasher hasher(pool_, platform_);
    do {
        while (NextFileQueued()) {
            if (self.CancellationRequested()) {
                return;
            }
            if (ProcessFile(self, hasher) == FileEnd::EndJob) {
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

HashJob::FileEnd HashJob::ProcessFile(const Task& self, ContentHasher& hasher) {
    std::wstring path;
    {
        FileListGuard guard(queue_.FileListLock);
        path = queue_.FileList[static_cast<std::size_t>(nextIndex_)];
    }
    iCount = nextIndex_;
    ++nextIndex_;
    nFileSize = 0;
    nProgressPos = 0;
    std::wstring text;

    std::unique_ptr<JobFile> file;
    if (const ErrorCode error =
            TimeStage(Stage::Open, [&] { return platform_.OpenFile(path, file); });
        error != 0) {
        ReportFailure(kOpenFailureLabel, path, error);
        return FileEnd::NextFile;
    }
    // From here the file is closed on every way out: by `file` when a
    // failure unwinds, explicitly where the order of events matters.
    std::int64_t size = 0;
    if (const ErrorCode error = TimeStage(Stage::Size, [&] { return file->GetSize(size); });
        error != 0) {
        ReportFailure(kSizeFailureLabel, path, error);
        CloseFile(file);
        return FileEnd::NextFile;
    }
    nFileSize = size;

    text = TimeStage(Stage::NameLine, [&] { return FormatFileNameLine(path, options_.Path); });
    if (options_.Size) {
        const StageTimer timer(Stage::SizeLine);
        text += FormatFileSizeLine(nFileSize);
    }
    if (options_.Ver) {
        const StageTimer timer(Stage::VersionLine);
        text += FormatFileVersionLine(path, *file);
    }
    if (options_.Time) {
        const StageTimer timer(Stage::TimeLine);
        text += FormatFileTimeLine(file->Handle());
    }
    if (!AnyCalc()) {
        ShowResult(std::move(text));
        CloseFile(file);
        return FileEnd::NextFile;
    }
    const FileEnd end = HashOpenFile(self, hasher, path, *file, text);
    CloseFile(file);
    return end;
}

void HashJob::CloseFile(std::unique_ptr<JobFile>& file) {
    const StageTimer timer(Stage::Close);
    file.reset();
}

HashJob::FileEnd HashJob::HashOpenFile(const Task& self, ContentHasher& hasher,
                                       const std::wstring& path, JobFile& file,
                                       std::wstring& text) {
    BeginContexts();
    try {
        return HashContent(self, hasher, path, file, text);
    } catch (...) {
        // The hasher's threads have left the contexts by now; the contexts
        // begun for the file are ended before the file is closed.
        DiscardContexts();
        throw;
    }
}

HashJob::FileEnd HashJob::HashContent(const Task& self, ContentHasher& hasher,
                                      const std::wstring& path, JobFile& file, std::wstring& text) {
    if (const ErrorCode error = hasher.PrepareBuffers(); error != 0) {
        // Without buffers nothing can be read: reported like a failed read.
        DiscardContexts();
        ReportFailure(kReadFailureLabel, path, error);
        return FileEnd::NextFile;
    }
    const std::uint32_t startTick = platform_.TickCount();
    std::array<THashContext*, 4> selected{};
    std::size_t count = 0;
    for (const Algorithm& algorithm : algorithms_) {
        if (algorithm.selected) {
            selected[count++] = &algorithm.context;
        }
    }
    const ContentResult result = TimeStage(Stage::Hashing, [&] {
        return hasher.Hash(file, std::span(selected.data(), count), self,
                           [this](std::uint32_t bytes) {
                               nProgressPos += bytes;
                               NextFileQueued();  // FileCount as the progress sees it
                               ShowChunkProgress();
                           });
    });

    if (result.end == ContentEnd::Cancelled) {
        DiscardContexts();
        return FileEnd::EndJob;
    }
    if (result.end == ContentEnd::ReadFailed) {
        // The digests of a part of the file would pass for the file's own.
        DiscardContexts();
        ReportFailure(kReadFailureLabel, path, result.readError);
        return FileEnd::NextFile;
    }
    {
        const StageTimer timer(Stage::FinishContexts);
        AppendDigestLines(text);
    }
    if (options_.CalcTime) {
        const StageTimer timer(Stage::CalcTimeLine);
        const std::uint32_t elapsed = platform_.TickCount() - startTick;  // wraps at 2^32
        // Both numbers of the line take the separator of one snapshot.
        const auto locale = platform_.LocaleSnapshot();
        AppendCalcTimeLine(text, elapsed / 1000.0, locale->DecimalSeparator,
                           FormatSpeed(nFileSize, elapsed, *locale));
    }
    ShowResult(std::move(text));
    return FileEnd::NextFile;
}

bool HashJob::AnyCalc() const {
    return std::any_of(algorithms_.begin(), algorithms_.end(),
                       [](const Algorithm& algorithm) { return algorithm.selected; });
}

void HashJob::BeginContexts() {
    const StageTimer timer(Stage::BeginContexts);
    for (const Algorithm& algorithm : algorithms_) {
        if (algorithm.selected) {
            HashInit(algorithm.context, algorithm.id);
        }
    }
    contextsBegun_ = true;
}

void HashJob::AppendDigestLines(std::wstring& text) {
    const std::array<std::wstring, 4> digests = FinishContexts(options_.Upcase);
    for (std::size_t i = 0; i < algorithms_.size(); ++i) {
        if (algorithms_[i].selected) {
            AppendDigestLine(text, algorithms_[i].name, digests[i]);
        }
    }
}

void HashJob::DiscardContexts() {
    FinishContexts(false);
}

std::array<std::wstring, 4> HashJob::FinishContexts(bool upperCase) {
    std::array<std::wstring, 4> digests;
    if (!contextsBegun_) {
        return digests;
    }
    contextsBegun_ = false;
    // Each begun context is finished, so that its handles are released,
    // even when finishing an earlier one failed; the first failure is then
    // raised again.
    std::exception_ptr failure;
    for (std::size_t i = 0; i < algorithms_.size(); ++i) {
        if (!algorithms_[i].selected) {
            continue;
        }
        try {
            digests[i] = HashFinal(algorithms_[i].context, upperCase);
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return digests;
}

void HashJob::ReportFailure(const wchar_t* label, const std::wstring& path, ErrorCode error) {
    ShowResult(FormatFailureBlock(label, path, platform_.ErrorReason(error)));
    ShowFileProgress();
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
