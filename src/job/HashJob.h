#pragma once
// The hash job: the background work that turns the queue FileList into
// report blocks. It walks the queue by index, has every file's content read
// in chunks of READ_CHUNK_SIZE bytes and hashed by the selected algorithms,
// each at its own pace on the pool's threads (ContentHasher), and hands the
// window one block per file and progress for every chunk all algorithms have
// taken, each posted to the UI thread (the job goes on while they travel,
// and they arrive in order), and the control state changes, each through a
// synchronous call.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ContentHasher.h"
#include "HashContext.h"
#include "JobPlatform.h"
#include "JobQueueState.h"
#include "JobWindow.h"
#include "ThreadPool.h"
#include "UiCallQueue.h"

class HashJob {
  public:
    // Everything passed in must outlive the job: the job uses it until it
    // has emptied HashTask, its very last step.
    HashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui, JobPlatform& platform,
            ThreadPool& pool);
    // Its table of algorithms refers to its own contexts and flags.
    HashJob(const HashJob&) = delete;
    HashJob& operator=(const HashJob&) = delete;

    // The job's procedure, run as the task held in queue.HashTask. Ends with
    // EnableControls and then the emptying of HashTask, however it ends.
    void Run(const Task& self);

  private:
    enum class FileEnd { NextFile, EndJob };

    // One algorithm of the report: its id, its name in the digest line, its
    // context and whether it was selected. Walked in the order of the lines.
    struct Algorithm {
        std::uint32_t id;
        const wchar_t* name;
        THashContext& context;
        const bool& selected;
    };

    void ProcessQueue(const Task& self);
    bool NextFileQueued();  // re-reads FileCount under FileListLock
    FileEnd ProcessFile(const Task& self, ContentHasher& hasher);
    void CloseFile(std::unique_ptr<JobFile>& file);
    FileEnd HashOpenFile(const Task& self, ContentHasher& hasher, const std::wstring& path,
                         JobFile& file, std::wstring& text);
    FileEnd HashContent(const Task& self, ContentHasher& hasher, const std::wstring& path,
                        JobFile& file, std::wstring& text);
    bool AnyCalc() const;
    void BeginContexts();
    void AppendDigestLines(std::wstring& text);
    void DiscardContexts();
    // Finishes every begun context; the digests in the order of algorithms_.
    std::array<std::wstring, 4> FinishContexts(bool upperCase);
    void ReportFailure(const wchar_t* label, const std::wstring& path, ErrorCode error);

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

    // The job state. Between BeginContexts and the end of a file's hashing
    // the contexts belong to the hasher's threads; the Calc flags do not
    // change while files are hashed.
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

    const std::array<Algorithm, 4> algorithms_{{
        {CALG_MD5, L"MD5", Md5Ctx, CalcMD5},
        {CALG_SHA1, L"SHA1", Sha1Ctx, CalcSHA1},
        {CALG_SHA_256, L"SHA256", Sha256Ctx, CalcSHA256},
        {CALG_CRC32, L"CRC32", Crc32Ctx, CalcCRC32},
    }};

    std::int32_t nextIndex_ = 0;
    // Progress positions of a file's last chunk (more than one when the file
    // grew), shown in order by the next call to the UI thread, before what
    // that call shows.
    std::vector<std::int32_t> heldPositions_;
    // The position the window was last told of (or is about to be).
    std::int32_t lastPosition_ = -1;
    bool contextsBegun_ = false;
};

// StartHash's part after the view is prepared, on the UI thread, while no job
// runs: creates the job task on `pool`, stores it in HashTask under
// FileListLock, then starts it. Returns the task.
TaskHandle StartHashJob(JobQueueState& queue, JobWindow& window, UiCallQueue& ui,
                        JobPlatform& platform = SystemJobPlatform(),
                        ThreadPool& pool = ThreadPool::Default());
