#include "JobFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "HashContext.h"

void EventLog::Add(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
}

namespace {

bool IsWindowEvent(const std::string& event) {
    for (const char* prefix : {"disable", "enable", "progress:", "result:"}) {
        if (event.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> WindowEvents(const std::vector<std::string>& events) {
    std::vector<std::string> kept;
    for (const std::string& event : events) {
        if (IsWindowEvent(event)) kept.push_back(event);
    }
    return kept;
}

std::vector<std::string> FileEvents(const std::vector<std::string>& events) {
    std::vector<std::string> kept;
    for (const std::string& event : events) {
        if (!IsWindowEvent(event)) kept.push_back(event);
    }
    return kept;
}

std::vector<std::string> EventLog::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::size_t EventLog::Count(const std::string& prefix) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(events_.begin(), events_.end(),
                      [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += (c < 0x80) ? static_cast<char>(c) : '?';
    }
    return out;
}

namespace {

// Eight content bytes at a time: the fakes fill many megabytes per test,
// and byte-wise stores are slow under the sanitizers.
std::uint64_t PatternWord(std::uint64_t wordIndex, std::uint8_t seed) {
    // Varies within and across chunks, so a lost, repeated or reordered
    // chunk changes every digest.
    std::uint64_t x = (wordIndex + 1) * 0x9E3779B97F4A7C15ull ^ seed;
    x ^= x >> 29;
    return x * 0xBF58476D1CE4E5B9ull;
}

}  // namespace

std::uint8_t PatternByte(std::uint64_t offset, std::uint8_t seed) {
    return static_cast<std::uint8_t>(PatternWord(offset / 8, seed) >> (8 * (offset % 8)));
}

void FillPattern(std::uint8_t* out, std::uint64_t offset, std::size_t count, std::uint8_t seed) {
    std::size_t i = 0;
    for (; i < count && (offset + i) % 8 != 0; ++i) {
        out[i] = PatternByte(offset + i, seed);
    }
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word = PatternWord((offset + i) / 8, seed);
        std::uint8_t bytes[8];
        for (int b = 0; b < 8; ++b) {
            bytes[b] = static_cast<std::uint8_t>(word >> (8 * b));
        }
        std::memcpy(out + i, bytes, 8);
    }
    for (; i < count; ++i) {
        out[i] = PatternByte(offset + i, seed);
    }
}

FakeFile SizedFile(std::int64_t size, std::uint8_t seed) {
    FakeFile fake;
    fake.reportedSize = size;
    fake.length = size;
    fake.seed = seed;
    return fake;
}

NativeFileHandle NoNativeHandle() {
#ifdef _WIN32
    return nullptr;
#else
    return -1;
#endif
}

class FakeJobFile final : public JobFile {
  public:
    FakeJobFile(FakeJobPlatform& platform, std::wstring path, FakeFile fake)
        : platform_(platform), path_(std::move(path)), file_(fake) {}

    ~FakeJobFile() override {
        platform_.log_.Add("close:" + Narrow(path_));
        std::lock_guard lock(platform_.mutex_);
        --platform_.openFiles_;
    }

    ErrorCode GetSize(std::int64_t& size) override {
        platform_.log_.Add("size:" + Narrow(path_));
        if (file_.sizeError != 0) {
            return file_.sizeError;
        }
        size = file_.reportedSize;
        return 0;
    }

    ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& bytesRead) override {
        const int number = reads_++;
        ErrorCode error = 0;
        bytesRead = 0;
        if (number == file_.failingRead) {
            error = file_.readError;
            platform_.log_.Add("read:" + Narrow(path_) + ":failed");
        } else {
            const std::int64_t left = std::max<std::int64_t>(0, file_.length - offset_);
            bytesRead = static_cast<std::uint32_t>(std::min<std::int64_t>(left, size));
            FillPattern(static_cast<std::uint8_t*>(buffer), static_cast<std::uint64_t>(offset_),
                        bytesRead, file_.seed);
            offset_ += bytesRead;
            platform_.log_.Add("read:" + Narrow(path_) + ":" + std::to_string(bytesRead));
        }
        if (platform_.afterRead) {
            platform_.afterRead(path_, number);
        }
        return error;
    }

    // The generated content at any offset; Read goes on where it was.
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
        const auto length = static_cast<std::uint64_t>(std::max<std::int64_t>(0, file_.length));
        if (offset > length || count > length - offset) {
            return false;
        }
        FillPattern(static_cast<std::uint8_t*>(out), offset, count, file_.seed);
        return true;
    }

    NativeFileHandle Handle() const override { return NoNativeHandle(); }

  private:
    FakeJobPlatform& platform_;
    std::wstring path_;
    FakeFile file_;
    std::int64_t offset_ = 0;
    int reads_ = 0;
};

FakeJobPlatform::~FakeJobPlatform() {
    EXPECT_EQ(openFiles_, 0) << "a file was left open";
    EXPECT_EQ(heldBuffers_, 0) << "a chunk buffer was left allocated";
}

void FakeJobPlatform::AddFile(const std::wstring& path, FakeFile fake) {
    std::lock_guard lock(mutex_);
    files_[path] = fake;
}

ErrorCode FakeJobPlatform::OpenFile(const std::wstring& path, std::unique_ptr<JobFile>& file) {
    log_.Add("open:" + Narrow(path));
    if (onOpen) onOpen(path);
    FakeFile fake;
    {
        std::lock_guard lock(mutex_);
        auto found = files_.find(path);
        if (found == files_.end()) {
            return kMissingFileError;
        }
        fake = found->second;
        if (fake.openError != 0) {
            return fake.openError;
        }
        ++openFiles_;
    }
    file = std::make_unique<FakeJobFile>(*this, path, fake);
    return 0;
}

ErrorCode FakeJobPlatform::AllocateBuffer(std::size_t size, std::byte*& buffer) {
    if (allocationThrows) {
        log_.Add("alloc:threw");
        throw std::bad_alloc();
    }
    {
        // Two lanes of the job may allocate at once.
        std::lock_guard lock(mutex_);
        if (allocationError != 0 && allocationFailures != 0) {
            if (allocationFailures > 0) --allocationFailures;
            log_.Add("alloc:failed");
            return allocationError;
        }
    }
    buffer = new std::byte[size];
    log_.Add("alloc");
    std::lock_guard lock(mutex_);
    ++heldBuffers_;
    return 0;
}

void FakeJobPlatform::FreeBuffer(std::byte* buffer) noexcept {
    delete[] buffer;
    log_.Add("free");
    std::lock_guard lock(mutex_);
    --heldBuffers_;
}

std::shared_ptr<const LocaleSettings> FakeJobPlatform::LocaleSnapshot() {
    return localeSnapshots ? localeSnapshots() : JobPlatform::LocaleSnapshot();
}

std::uint32_t FakeJobPlatform::ProgressTick() {
    std::lock_guard lock(mutex_);
    nextProgressTick_ += progressTickStep;
    return nextProgressTick_;
}

std::uint32_t FakeJobPlatform::TickCount() {
    std::lock_guard lock(mutex_);
    if (!ticking_) {
        ticking_ = true;
        nextTick_ = firstTick;
    }
    const std::uint32_t now = nextTick_;
    nextTick_ += tickStep;
    return now;
}

std::wstring FakeJobPlatform::ErrorReason(ErrorCode code) {
    return L"reason " + std::to_wstring(code);
}

int FakeJobPlatform::OpenFiles() const {
    std::lock_guard lock(mutex_);
    return openFiles_;
}

int FakeJobPlatform::HeldBuffers() const {
    std::lock_guard lock(mutex_);
    return heldBuffers_;
}

void FakeJobWindow::CheckThread() {
    if (std::this_thread::get_id() != uiThread_) {
        ++callsOffUiThread;
    }
}

void FakeJobWindow::DisableControls() {
    CheckThread();
    ++disableCalls;
    log_.Add("disable");
}

JobOptions FakeJobWindow::ReadJobOptions() {
    CheckThread();
    return options;
}

void FakeJobWindow::SynchronizeResult(const std::wstring& Result) {
    CheckThread();
    results.push_back(Result);
    log_.Add("result:" + Narrow(Result.substr(0, Result.find(L'\r'))));
    if (onResult) {
        onResult(Result);
    }
}

void FakeJobWindow::UpdateProgress(int position) {
    CheckThread();
    positions.push_back(position);
    log_.Add("progress:" + std::to_string(position));
    if (onProgress) {
        onProgress(position);
    }
}

void FakeJobWindow::EnableControls() {
    CheckThread();
    ++enableCalls;
    log_.Add("enable");
    if (onEnable) {
        onEnable();
    }
}

JobOptions AlgorithmOptions(bool md5, bool sha1, bool sha256, bool crc32) {
    JobOptions options;
    options.MD5 = md5;
    options.SHA1 = sha1;
    options.SHA256 = sha256;
    options.CRC32 = crc32;
    options.Path = true;
    return options;
}

JobOptions AllAlgorithms() {
    return AlgorithmOptions(true, true, true, true);
}

JobHarness::JobHarness() : ui([this] { Wake(); }) {}

JobHarness::~JobHarness() {
    EXPECT_FALSE(JobRunning(queue)) << "a job was left running";
    EXPECT_EQ(window.callsOffUiThread, 0) << "the window was called off the UI thread";
}

void JobHarness::Queue(std::vector<std::wstring> paths) {
    FileListGuard guard(queue.FileListLock);
    for (std::wstring& path : paths) {
        queue.FileList.push_back(std::move(path));
    }
}

TaskHandle JobHarness::Start() {
    return StartHashJob(queue, window, ui, *platformInUse, pool);
}

void JobHarness::PumpUntilIdle() {
    while (JobRunning(queue)) {
        {
            std::unique_lock lock(wakeMutex_);
            // The time-out only notices the job's end, which posts nothing.
            wakeSignal_.wait_for(lock, std::chrono::milliseconds(5), [this] { return woken_; });
            woken_ = false;
        }
        uiCallsRun += ui.RunPending();
    }
    uiCallsRun += ui.RunPending();
}

void JobHarness::RunJob() {
    Start();
    PumpUntilIdle();
}

void JobHarness::Wake() {
    {
        std::lock_guard lock(wakeMutex_);
        woken_ = true;
    }
    wakeSignal_.notify_one();
}

Digests PatternDigests(std::int64_t length, std::uint8_t seed, bool upper) {
    THashContext md5, sha1, sha256, crc32;
    HashInit(md5, CALG_MD5);
    HashInit(sha1, CALG_SHA1);
    HashInit(sha256, CALG_SHA_256);
    HashInit(crc32, CALG_CRC32);
    // Blocks of a size unrelated to the job's chunks.
    std::vector<std::uint8_t> block(1000003);
    for (std::int64_t offset = 0; offset < length;) {
        const auto count =
            static_cast<std::int32_t>(std::min<std::int64_t>(length - offset, block.size()));
        FillPattern(block.data(), static_cast<std::uint64_t>(offset),
                    static_cast<std::size_t>(count), seed);
        for (THashContext* context : {&md5, &sha1, &sha256, &crc32}) {
            HashUpdate(*context, block.data(), count);
        }
        offset += count;
    }
    return {HashFinal(md5, upper), HashFinal(sha1, upper), HashFinal(sha256, upper),
            HashFinal(crc32, upper)};
}
