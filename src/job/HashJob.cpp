#include "HashJob.h"

#include <array>
#include <chrono>
#include <exception>
#include <limits>
#include <utility>

#include "JobProgress.h"
#include "LocaleSettings.h"
#include "ReportBlock.h"
#include "ReportFields.h"

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
            ui_.Call([this] { window_.EnableControls(); });
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

    while (NextFileQueued()) {
        if (self.CancellationRequested()) {
            return;
        }
        if (ProcessFile(self) == FileEnd::EndJob) {
            return;
        }
    }
}

bool HashJob::NextFileQueued() {
    FileListGuard guard(queue_.FileListLock);
    const std::size_t count = queue_.FileList.size();
    constexpr auto largest = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    FileCount = static_cast<std::int32_t>(count < largest ? count : largest);
    return nextIndex_ < FileCount;
}

HashJob::FileEnd HashJob::ProcessFile(const Task& self) {
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
    if (const ErrorCode error = platform_.OpenFile(path, file); error != 0) {
        ReportFailure(kOpenFailureLabel, path, error);
        return FileEnd::NextFile;
    }
    // From here the file is closed on every way out: by `file` when a
    // failure unwinds, explicitly where the order of events matters.
    std::int64_t size = 0;
    if (const ErrorCode error = file->GetSize(size); error != 0) {
        ReportFailure(kSizeFailureLabel, path, error);
        file.reset();
        return FileEnd::NextFile;
    }
    nFileSize = size;

    text = FormatFileNameLine(path, options_.Path);
    if (options_.Size) {
        text += FormatFileSizeLine(nFileSize);
    }
    if (options_.Ver) {
        text += FormatFileVersionLine(path);
    }
    if (options_.Time) {
        text += FormatFileTimeLine(file->Handle());
    }
    if (!AnyCalc()) {
        ShowResult(std::move(text));
        file.reset();
        return FileEnd::NextFile;
    }
    const FileEnd end = HashOpenFile(self, path, *file, text);
    file.reset();
    return end;
}

HashJob::FileEnd HashJob::HashOpenFile(const Task& self, const std::wstring& path, JobFile& file,
                                       std::wstring& text) {
    BeginContexts();
    try {
        return HashContent(self, path, file, text);
    } catch (...) {
        // The buffer is gone by now; the contexts begun for the file are
        // ended before the file is closed.
        DiscardContexts();
        throw;
    }
}

HashJob::FileEnd HashJob::HashContent(const Task& self, const std::wstring& path, JobFile& file,
                                      std::wstring& text) {
    ErrorCode error = 0;
    ReadEnd end = ReadEnd::EndOfFile;
    std::uint32_t startTick = 0;
    {
        ChunkBuffer buffer = platform_.AllocateChunkBuffer(READ_CHUNK_SIZE, error);
        if (!buffer) {
            // Without a buffer nothing can be read: reported like a failed read.
            DiscardContexts();
            ReportFailure(kReadFailureLabel, path, error);
            return FileEnd::NextFile;
        }
        startTick = platform_.TickCount();
        Buffer = buffer.get();
        struct BufferGone {
            std::byte*& pointer;
            ~BufferGone() { pointer = nullptr; }
        } forget{Buffer};
        end = ReadLoop(self, file, error);
    }  // the buffer is released after the file's last read, on every path

    if (end == ReadEnd::Cancelled) {
        DiscardContexts();
        return FileEnd::EndJob;
    }
    if (end == ReadEnd::ReadFailed) {
        // The digests of a part of the file would pass for the file's own.
        DiscardContexts();
        ReportFailure(kReadFailureLabel, path, error);
        return FileEnd::NextFile;
    }
    AppendDigestLines(text);
    if (options_.CalcTime) {
        const std::uint32_t elapsed = platform_.TickCount() - startTick;  // wraps at 2^32
        AppendCalcTimeLine(text, elapsed / 1000.0, CurrentLocaleSettings()->DecimalSeparator,
                           FormatSpeed(nFileSize, elapsed));
    }
    ShowResult(std::move(text));
    return FileEnd::NextFile;
}

HashJob::ReadEnd HashJob::ReadLoop(const Task& self, JobFile& file, ErrorCode& readError) {
    do {
        if (self.CancellationRequested()) {
            return ReadEnd::Cancelled;
        }
        readError = file.Read(Buffer, READ_CHUNK_SIZE, BytesRead);
        if (readError != 0) {
            BytesRead = 0;
            return ReadEnd::ReadFailed;
        }
        if (BytesRead > 0) {
            HashChunk();
            nProgressPos += BytesRead;
            NextFileQueued();  // FileCount as the progress sees it
            ShowChunkProgress();
        }
    } while (BytesRead == READ_CHUNK_SIZE);
    return ReadEnd::EndOfFile;
}

void HashJob::HashChunk() {
    const auto feed = [this](THashContext& context, bool calc, std::int64_t& spent) {
        return [this, &context, calc, &spent](const Task&) {
            if (!calc) {
                spent = 0;
                return;
            }
            const auto start = std::chrono::steady_clock::now();
            HashUpdate(context, Buffer, static_cast<std::int32_t>(BytesRead));
            spent = (std::chrono::steady_clock::now() - start).count();
        };
    };
    // All four are created, in this order, whatever the flags; an unselected
    // one returns at once. Each runs with the time its algorithm took on the
    // previous chunk as its priority, and they are started together: on two
    // threads, beginning with the two longest and giving each later one to
    // the thread free first is the shortest way through four tasks.
    const std::array<TaskHandle, 4> tasks{
        ThreadPool::Create(feed(Md5Ctx, CalcMD5, lastChunkTimes_[0]), lastChunkTimes_[0]),
        ThreadPool::Create(feed(Sha1Ctx, CalcSHA1, lastChunkTimes_[1]), lastChunkTimes_[1]),
        ThreadPool::Create(feed(Sha256Ctx, CalcSHA256, lastChunkTimes_[2]), lastChunkTimes_[2]),
        ThreadPool::Create(feed(Crc32Ctx, CalcCRC32, lastChunkTimes_[3]), lastChunkTimes_[3])};
    try {
        pool_.StartAll(tasks);
    } catch (...) {
        // Those started still read the buffer: let them finish first.
        for (const TaskHandle& task : tasks) {
            if (task->Status() != TaskStatus::Created) {
                task->WaitFinished();
            }
        }
        throw;
    }
    pool_.WaitForAll(tasks);
}

void HashJob::BeginContexts() {
    if (CalcMD5) {
        HashInit(Md5Ctx, CALG_MD5);
    }
    if (CalcSHA1) {
        HashInit(Sha1Ctx, CALG_SHA1);
    }
    if (CalcSHA256) {
        HashInit(Sha256Ctx, CALG_SHA_256);
    }
    if (CalcCRC32) {
        HashInit(Crc32Ctx, CALG_CRC32);
    }
    contextsBegun_ = true;
}

void HashJob::AppendDigestLines(std::wstring& text) {
    const std::array<std::wstring, 4> digests = FinishContexts(options_.Upcase);
    const std::array<bool, 4> selected{CalcMD5, CalcSHA1, CalcSHA256, CalcCRC32};
    const std::array<const wchar_t*, 4> names{L"MD5", L"SHA1", L"SHA256", L"CRC32"};
    for (std::size_t i = 0; i < digests.size(); ++i) {
        if (selected[i]) {
            AppendDigestLine(text, names[i], digests[i]);
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
    const std::array<THashContext*, 4> contexts{&Md5Ctx, &Sha1Ctx, &Sha256Ctx, &Crc32Ctx};
    const std::array<bool, 4> selected{CalcMD5, CalcSHA1, CalcSHA256, CalcCRC32};
    // Each begun context is finished, so that its handles are released,
    // even when finishing an earlier one failed; the first failure is then
    // raised again.
    std::exception_ptr failure;
    for (std::size_t i = 0; i < contexts.size(); ++i) {
        if (!selected[i]) {
            continue;
        }
        try {
            digests[i] = HashFinal(*contexts[i], upperCase);
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
    ui_.Call([this, text = std::move(text)] { window_.SynchronizeResult(text); });
}

void HashJob::ShowFileProgress() {
    ui_.Call([this, fileCount = FileCount, index = iCount] {
        window_.UpdateProgress(FileProgressPosition(fileCount, index));
    });
}

void HashJob::ShowChunkProgress() {
    ui_.Call([this, fileCount = FileCount, index = iCount, size = nFileSize, fed = nProgressPos] {
        window_.UpdateProgress(ChunkProgressPosition(fileCount, index, size, fed));
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
