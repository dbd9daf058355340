#include "FileLane.h"

#include <span>
#include <utility>

#include "ReportBlock.h"
#include "ReportFields.h"
#include "StageTimes.h"

namespace {

void CloseFile(std::unique_ptr<JobFile>& file) {
    const StageTimer timer(Stage::Close);
    file.reset();
}

}  // namespace

FileLane::FileLane(JobPlatform& platform, const JobOptions& options)
    : platform_(platform), options_(options), contexts_(options) {}

FileOutcome FileLane::Process(const std::wstring& path, const Task& job) {
    FileOutcome outcome;
    outcome.path = path;
    if (job.CancellationRequested()) {
        return outcome;
    }
    std::unique_ptr<JobFile>& file = outcome.file;
    if (const ErrorCode error =
            TimeStage(Stage::Open, [&] { return platform_.OpenFile(path, file); });
        error != 0) {
        Fail(outcome, kOpenFailureLabel, error);
        return outcome;
    }
    if (const ErrorCode error = TimeStage(Stage::Size, [&] { return file->GetSize(outcome.size); });
        error != 0) {
        Fail(outcome, kSizeFailureLabel, error);
        return outcome;
    }
    if (job.CancellationRequested()) {
        CloseFile(file);
        return outcome;
    }

    std::wstring& text = outcome.text;
    text = TimeStage(Stage::NameLine, [&] { return FormatFileNameLine(path, options_.Path); });
    if (options_.Size) {
        const StageTimer timer(Stage::SizeLine);
        text += FormatFileSizeLine(outcome.size);
    }
    if (options_.Ver) {
        const StageTimer timer(Stage::VersionLine);
        text += FormatFileVersionLine(path, *file);
    }
    if (options_.Time) {
        const StageTimer timer(Stage::TimeLine);
        text += FormatFileTimeLine(file->Handle());
    }
    if (!contexts_.AnyCalc()) {
        outcome.step = FileStep::Block;
        CloseFile(file);
        return outcome;
    }
    if (outcome.size > static_cast<std::int64_t>(kHashInPlaceLimit)) {
        outcome.step = FileStep::NeedsPool;
        return outcome;
    }

    if (!buffer_) {
        ErrorCode error = 0;
        buffer_ = platform_.AllocateChunkBuffer(kHashInPlaceLimit, error);
        if (!buffer_) {
            // Without a buffer nothing can be read: reported like a failed read.
            Fail(outcome, kReadFailureLabel, error);
            return outcome;
        }
    }
    HashContent(outcome, [&](std::span<THashContext* const> contexts) {
        return ReadAndHash(*file, contexts, job, outcome.bytesHashed);
    });
    return outcome;
}

ContentResult FileLane::ReadAndHash(JobFile& file, std::span<THashContext* const> contexts,
                                    const Task& job, std::uint64_t& bytes) {
    for (;;) {
        if (job.CancellationRequested()) {
            return {ContentEnd::Cancelled, 0};
        }
        std::uint32_t piece = 0;
        if (const ErrorCode error = file.Read(buffer_.get(), kHashInPlaceLimit, piece);
            error != 0) {
            return {ContentEnd::ReadFailed, error};
        }
        if (piece > 0) {
            for (THashContext* context : contexts) {
                HashUpdate(*context, buffer_.get(), static_cast<std::int32_t>(piece));
            }
            bytes += piece;
        }
        // Only a file that grew since it was sized fills a piece.
        if (piece < kHashInPlaceLimit) {
            return {};
        }
    }
}

void FileLane::HashWithPool(FileOutcome& outcome, ContentHasher& hasher, const Task& job,
                            const ChunkTaken& chunkTaken) {
    if (const ErrorCode error = hasher.PrepareBuffers(); error != 0) {
        // Without buffers nothing can be read: reported like a failed read.
        Fail(outcome, kReadFailureLabel, error);
        return;
    }
    HashContent(outcome, [&](std::span<THashContext* const> contexts) {
        return hasher.Hash(*outcome.file, contexts, job, chunkTaken);
    });
}

template <class Hash>
void FileLane::HashContent(FileOutcome& outcome, Hash&& hash) {
    ContentResult result;
    std::uint32_t startTick = 0;
    try {
        const std::span<THashContext* const> contexts = contexts_.Begin();
        startTick = platform_.TickCount();
        result = TimeStage(Stage::Hashing, [&] { return hash(contexts); });
        if (result.end == ContentEnd::EndOfFile) {
            contexts_.AppendDigestLines(outcome.text, options_.Upcase);
        } else {
            // Cancelled, or the digests of a part of the file would pass for
            // the file's own.
            contexts_.Discard();
        }
    } catch (...) {
        // The hasher's threads have left the contexts by now; the contexts
        // begun for the file are ended before the file is closed.
        contexts_.Discard();
        throw;
    }
    switch (result.end) {
        case ContentEnd::EndOfFile:
            AppendCalcTime(outcome.text, startTick, outcome.size);
            outcome.step = FileStep::Block;
            break;
        case ContentEnd::ReadFailed:
            Fail(outcome, kReadFailureLabel, result.readError);
            return;
        case ContentEnd::Cancelled:
            outcome.step = FileStep::Cancelled;
            break;
    }
    CloseFile(outcome.file);
}

void FileLane::Fail(FileOutcome& outcome, const wchar_t* label, ErrorCode error) {
    outcome.step = FileStep::FailureBlock;
    outcome.text = FormatFailureBlock(label, outcome.path, platform_.ErrorReason(error));
    if (outcome.file) CloseFile(outcome.file);
}

void FileLane::AppendCalcTime(std::wstring& text, std::uint32_t startTick, std::int64_t size) {
    if (!options_.CalcTime) return;
    const StageTimer timer(Stage::CalcTimeLine);
    const std::uint32_t elapsed = platform_.TickCount() - startTick;  // wraps at 2^32
    // Both numbers of the line take the separator of one snapshot.
    const auto locale = platform_.LocaleSnapshot();
    AppendCalcTimeLine(text, elapsed / 1000.0, locale->DecimalSeparator,
                       FormatSpeed(size, elapsed, *locale));
}

AheadLane::AheadLane(ThreadPool& pool, JobPlatform& platform, const JobOptions& options)
    : pool_(pool), lane_(platform, options) {}

AheadLane::~AheadLane() {
    if (task_) {
        // The job is ending, by a failure or a cancellation of its own: what
        // the lane made or raised is not wanted any more.
        pool_.FinishAll(std::span(&task_, 1));
    }
}

void AheadLane::Start(std::int32_t first, std::vector<std::wstring> paths, const Task& job) {
    outcomes_.clear();
    outcomes_.reserve(paths.size());
    const auto count = static_cast<std::int32_t>(paths.size());
    task_ = pool_.Run([this, paths = std::move(paths), &job](const Task&) {
        for (const std::wstring& path : paths) {
            outcomes_.push_back(lane_.Process(path, job));
            const FileStep step = outcomes_.back().step;
            if (step == FileStep::NeedsPool || step == FileStep::Cancelled) return;
        }
    });
    first_ = first;
    count_ = count;
}

std::optional<FileOutcome> AheadLane::Take(std::int32_t index) {
    // Returns at once once the task has finished.
    pool_.WaitForAll(std::span(&task_, 1));
    std::optional<FileOutcome> outcome;
    if (const auto position = static_cast<std::size_t>(index - first_);
        position < outcomes_.size()) {
        outcome = std::move(outcomes_[position]);
    }
    if (index == first_ + count_ - 1) {
        task_.reset();
        outcomes_.clear();
    }
    return outcome;
}
