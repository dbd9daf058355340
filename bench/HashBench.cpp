// Throughput of the hash contexts alone and of the hash job over one file.
//
//   hashbench create <file> <MiB>       writes pseudo-random content
//   hashbench alone <file> <algorithm>  md5, sha1, sha256 or crc32: the
//                                       file's chunks through one context on
//                                       this thread, timing the hashing and,
//                                       apart, the reading
//   hashbench read <file>               reads the file as the job does,
//                                       without hashing, timing it all
//   hashbench job <file> [md5,sha1,...] the job over the file with all four
//                                       algorithms (or those listed) and a
//                                       window that only records, timing
//                                       start to end, and its peak memory
//                                       above the process at rest
//   hashbench drop <file>               see BenchModes.h, as for
//   hashbench pool [rounds]             pool and small
//   hashbench small <bytes> [files]
//
// HASHBENCH_CRC32=table|fold128|fold256|fold512 forces the CRC-32 routine
// (by default the fastest the processor runs); "alone" and "job" name the
// routine they ran.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "BenchMemory.h"
#include "BenchModes.h"
#include "Crc32Routine.h"
#include "HashContext.h"
#include "HashJob.h"
#include "UiThreadStandIn.h"
#include "Utf8Text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

int Create(const char* path, long mebibytes) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return 1;
    }
    std::vector<std::uint64_t> block(1 << 17);  // 1 MiB
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (long i = 0; i < mebibytes; ++i) {
        for (std::uint64_t& word : block) {  // xorshift64*
            state ^= state >> 12;
            state ^= state << 25;
            state ^= state >> 27;
            word = state * 0x2545F4914F6CDD1Dull;
        }
        if (std::fwrite(block.data(), sizeof block[0], block.size(), out) != block.size()) {
            std::perror(path);
            std::fclose(out);
            return 1;
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

std::uint32_t AlgorithmId(const std::string& name) {
    if (name == "md5") return CALG_MD5;
    if (name == "sha1") return CALG_SHA1;
    if (name == "sha256") return CALG_SHA_256;
    if (name == "crc32") return CALG_CRC32;
    throw std::invalid_argument("unknown algorithm " + name);
}

int Alone(const std::wstring& path, const std::string& algorithm) {
    JobPlatform& platform = SystemJobPlatform();
    std::unique_ptr<JobFile> file;
    if (ErrorCode error = platform.OpenFile(path, file)) {
        std::fprintf(stderr, "open failed: %s\n", WideToUtf8(platform.ErrorReason(error)).c_str());
        return 1;
    }
    ErrorCode error = 0;
    ChunkBuffer buffer = platform.AllocateChunkBuffer(READ_CHUNK_SIZE, error);
    if (!buffer) {
        std::fprintf(stderr, "no buffer: %s\n", WideToUtf8(platform.ErrorReason(error)).c_str());
        return 1;
    }
    THashContext context;
    HashInit(context, AlgorithmId(algorithm));
    Clock::duration hashing{};
    Clock::duration reading{};
    std::uint64_t total = 0;
    std::uint32_t read = 0;
    do {
        const Clock::time_point readStart = Clock::now();
        error = file->Read(buffer.get(), READ_CHUNK_SIZE, read);
        reading += Clock::now() - readStart;
        if (error != 0) {
            std::fprintf(stderr, "read failed: %s\n",
                         WideToUtf8(platform.ErrorReason(error)).c_str());
            return 1;
        }
        const Clock::time_point start = Clock::now();
        HashUpdate(context, buffer.get(), static_cast<std::int32_t>(read));
        hashing += Clock::now() - start;
        total += read;
    } while (read == READ_CHUNK_SIZE);
    const std::wstring digest = HashFinal(context, false);
    std::printf("alone %s seconds=%.4f read_seconds=%.4f bytes=%llu crc32_routine=%s digest=%s\n",
                algorithm.c_str(), Seconds(hashing), Seconds(reading),
                static_cast<unsigned long long>(total), Crc32RoutineName(Crc32ActiveRoutine()),
                WideToUtf8(digest).c_str());
    return 0;
}

int ReadAlone(const std::wstring& path) {
    JobPlatform& platform = SystemJobPlatform();
    std::unique_ptr<JobFile> file;
    if (ErrorCode error = platform.OpenFile(path, file)) {
        std::fprintf(stderr, "open failed: %s\n", WideToUtf8(platform.ErrorReason(error)).c_str());
        return 1;
    }
    ErrorCode error = 0;
    ChunkBuffer buffer = platform.AllocateChunkBuffer(READ_CHUNK_SIZE, error);
    if (!buffer) {
        std::fprintf(stderr, "no buffer: %s\n", WideToUtf8(platform.ErrorReason(error)).c_str());
        return 1;
    }
    std::uint64_t total = 0;
    std::uint32_t read = 0;
    const Clock::time_point start = Clock::now();
    do {
        if ((error = file->Read(buffer.get(), READ_CHUNK_SIZE, read)) != 0) {
            std::fprintf(stderr, "read failed: %s\n",
                         WideToUtf8(platform.ErrorReason(error)).c_str());
            return 1;
        }
        total += read;
    } while (read == READ_CHUNK_SIZE);
    std::printf("read seconds=%.4f bytes=%llu\n", Seconds(Clock::now() - start),
                static_cast<unsigned long long>(total));
    return 0;
}

// A window that shows nothing and keeps the last block.
class RecordingWindow final : public JobWindow {
  public:
    void DisableControls() override {}
    JobOptions ReadJobOptions() override { return options; }
    void SynchronizeResult(const std::wstring& Result) override { lastBlock = Result; }
    void UpdateProgress(int position) override {
        lastPosition = position;
        ++updates;
        progressTimes.push_back(Clock::now());
    }

    // Milliseconds between two progress updates (one chunk each): the
    // smallest, the median and the largest.
    std::string ChunkTimes() const {
        std::vector<double> gaps;
        for (std::size_t i = 1; i < progressTimes.size(); ++i) {
            gaps.push_back(Seconds(progressTimes[i] - progressTimes[i - 1]) * 1000);
        }
        if (gaps.empty()) return "none";
        std::sort(gaps.begin(), gaps.end());
        char text[96];
        std::snprintf(text, sizeof text, "%.2f/%.2f/%.2f", gaps.front(), gaps[gaps.size() / 2],
                      gaps.back());
        return text;
    }
    void EnableControls() override {}

    JobOptions options;
    std::wstring lastBlock;
    int lastPosition = 0;
    int updates = 0;
    std::vector<Clock::time_point> progressTimes;
};

// "md5,sha1,sha256,crc32" or a part of it.
JobOptions AlgorithmsOf(const std::string& list) {
    JobOptions options;
    options.Path = true;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        const std::size_t end = std::min(list.find(',', begin), list.size());
        switch (AlgorithmId(list.substr(begin, end - begin))) {
            case CALG_MD5:
                options.MD5 = true;
                break;
            case CALG_SHA1:
                options.SHA1 = true;
                break;
            case CALG_SHA_256:
                options.SHA256 = true;
                break;
            default:
                options.CRC32 = true;
                break;
        }
        begin = end + 1;
    }
    return options;
}

int Job(const std::wstring& path, const std::string& algorithms) {
    // At rest the program has its pool and its hash service loaded: what
    // the job adds to that is what it costs.
    ThreadPool::Default();
    for (const std::uint32_t id : {std::uint32_t{CALG_MD5}, std::uint32_t{CALG_SHA1},
                                   std::uint32_t{CALG_SHA_256}, CALG_CRC32}) {
        THashContext context;
        HashInit(context, id);
        HashFinal(context, false);
    }
    const ProcessMemory rest = ReadProcessMemory();

    UiThreadStandIn uiThread;
    RecordingWindow window;
    window.options = AlgorithmsOf(algorithms);
    JobQueueState queue;
    queue.FileList.push_back(path);

    const Clock::time_point start = Clock::now();
    StartHashJob(queue, window, uiThread.Calls());
    uiThread.ServeUntilJobEnds(queue);
    const double seconds = Seconds(Clock::now() - start);
    const ProcessMemory after = ReadProcessMemory();

    std::string block = WideToUtf8(window.lastBlock);
    for (char& c : block) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    std::printf(
        "job seconds=%.4f updates=%d position=%d chunk_ms_min_median_max=%s rest_kib=%llu "
        "peak_kib=%llu above_rest_kib=%llu cores=%u crc32_routine=%s block=%s\n",
        seconds, window.updates, window.lastPosition, window.ChunkTimes().c_str(),
        static_cast<unsigned long long>(rest.currentBytes / 1024),
        static_cast<unsigned long long>(after.peakBytes / 1024),
        static_cast<unsigned long long>(
            (after.peakBytes > rest.currentBytes ? after.peakBytes - rest.currentBytes : 0) / 1024),
        std::max(1u, std::thread::hardware_concurrency()), Crc32RoutineName(Crc32ActiveRoutine()),
        block.c_str());
    return 0;
}

// The routine HASHBENCH_CRC32 names, or nothing when it is not set.
std::optional<Crc32Routine> RoutineFromEnvironment() {
    const char* name = std::getenv("HASHBENCH_CRC32");
    if (name == nullptr || *name == '\0') {
        return std::nullopt;
    }
    for (const Crc32Routine routine : kCrc32Routines) {
        if (std::string(name) == Crc32RoutineName(routine)) {
            return routine;
        }
    }
    throw std::invalid_argument(std::string("unknown CRC-32 routine ") + name);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        std::optional<ForcedCrc32Routine> forced;
        if (const std::optional<Crc32Routine> routine = RoutineFromEnvironment()) {
            forced.emplace(*routine);
            if (!forced->Forced()) {
                throw std::invalid_argument(std::string("the processor lacks ") +
                                            Crc32RoutineName(*routine));
            }
        }
        if (mode == "create" && argc == 4) {
            return Create(argv[2], std::stol(argv[3]));
        }
        if (mode == "alone" && argc == 4) {
            return Alone(Utf8ToWide(argv[2]), argv[3]);
        }
        if (mode == "read" && argc == 3) {
            return ReadAlone(Utf8ToWide(argv[2]));
        }
        if (mode == "drop" && argc == 3) {
            return DropFromCache(argv[2]);
        }
        if (mode == "pool" && argc <= 3) {
            return PoolCost(argc == 3 ? std::stol(argv[2]) : 2000);
        }
        if (mode == "small" && (argc == 3 || argc == 4)) {
            return SmallChunk(std::stol(argv[2]), argc == 4 ? std::stol(argv[3]) : 2000);
        }
        if (mode == "job" && (argc == 3 || argc == 4)) {
            return Job(Utf8ToWide(argv[2]), argc == 4 ? argv[3] : "md5,sha1,sha256,crc32");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "hashbench: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: hashbench create <file> <MiB> | alone <file> md5|sha1|sha256|crc32 | "
                 "read <file> | job <file> [md5,sha1,sha256,crc32] | drop <file> | "
                 "pool [rounds] | small <bytes> [files]\n");
    return 2;
}
