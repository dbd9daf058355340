#pragma once
// The hash job: the background work that turns the queue FileList into
// report blocks. It walks the queue by index, reads every file in chunks of
// READ_CHUNK_SIZE bytes, feeds each chunk to the four hash contexts in
// parallel (one pool task per algorithm, joined before the next read), and
// hands the window one block per file, progress after every chunk, and the
// control state changes, each through a synchronous call to the UI thread.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "HashContext.h"
#include "JobPlatform.h"
#include "JobQueueState.h"
#include "JobWindow.h"
#include "ThreadPool.h"
#include "UiCallQueue.h"

// The size of the chunk buffer and of every read request (6.25 MiB).
inline constexpr std::uint32_t READ_CHUNK_SIZE = 0x640000;

class HashJob {
  public:
    // Everything passed in must outlive the job: the job uses it until it
    // has emptied HashTask, its very last step.
    HashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui, JobPlatform& platform,
            ThreadPool& pool);

    // The job's procedure, run as the task held in queue.HashTask. Ends with
    // EnableControls and then the emptying of HashTask, however it ends.
    void Run(const Task& self);

  private:
    enum class FileEnd { NextFile, EndJob };
    enum class ReadEnd { EndOfFile, Cancelled, ReadFailed };

    void ProcessQueue(const Task& self);
    bool NextFileQueued();  // re-reads FileCount under FileListLock
    FileEnd ProcessFile(const Task& self);
    FileEnd HashOpenFile(const Task& self, const std::wstring& path, JobFile& file,
                         std::wstring& text);
    FileEnd HashContent(const Task& self, const std::wstring& path, JobFile& file,
                        std::wstring& text);
    ReadEnd ReadLoop(const Task& self, JobFile& file, ErrorCode& readError);
    void HashChunk();
    bool AnyCalc() const { return CalcMD5 || CalcSHA1 || CalcSHA256 || CalcCRC32; }
    void BeginContexts();
    void AppendDigestLines(std::wstring& text);
    void DiscardContexts();
    // Finishes every begun context; the digests of MD5, SHA1, SHA256, CRC32.
    std::array<std::wstring, 4> FinishContexts(bool upperCase);
    void ReportFailure(const wchar_t* label, const std::wstring& path, ErrorCode error);

    // Calls to the UI thread.
    void ShowResult(std::wstring text);
    void ShowFileProgress();
    void ShowChunkProgress();
    void ClearHashTask();

    JobQueueState& queue_;
    JobWindow& window_;
    UiCallQueue& ui_;
    JobPlatform& platform_;
    ThreadPool& pool_;
    JobOptions options_;

    // The job state; the contexts and Calc flags are shared with the chunk
    // tasks, which run only while the job waits for them.
    THashContext Md5Ctx;
    THashContext Sha1Ctx;
    THashContext Sha256Ctx;
    THashContext Crc32Ctx;
    bool CalcMD5 = false;
    bool CalcSHA1 = false;
    bool CalcSHA256 = false;
    bool CalcCRC32 = false;
    std::int32_t FileCount = 0;
    std::int32_t iCount = 0;
    std::int64_t nFileSize = 0;
    std::int64_t nProgressPos = 0;
    std::byte* Buffer = nullptr;  // the chunk buffer while a file's read loop runs
    std::uint32_t BytesRead = 0;

    std::int32_t nextIndex_ = 0;
    // Nanoseconds each algorithm's task took on the latest chunk, written by
    // the tasks, read by the job between chunks.
    std::array<std::int64_t, 4> lastChunkTimes_{};
    bool contextsBegun_ = false;
};

// StartHash's part after the view is prepared, on the UI thread, while no job
// runs: creates the job task on `pool`, stores it in HashTask under
// FileListLock, then starts it. Returns the task.
TaskHandle StartHashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui,
                        JobPlatform& platform = SystemJobPlatform(),
                        ThreadPool& pool = ThreadPool::Default());
