// The hash job over a folder of many small files, with a window that only
// records what it is shown.
//
//   manyfilesbench create <folder> <count> <bytes>  writes <count> files of
//                                                   <bytes> pseudo-random bytes
//   manyfilesbench job <folder> [md5,sha1,...]      lists the folder's files in
//                                                   name order and runs the job
//                                                   over them with all four
//                                                   algorithms (or those listed)
//                                                   and every report line on
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "HashJob.h"
#include "UiThreadStandIn.h"
#include "Utf8Text.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

int Create(const fs::path& folder, long count, long bytes) {
    fs::create_directories(folder);
    std::vector<unsigned char> content(static_cast<std::size_t>(bytes));
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (long i = 0; i < count; ++i) {
        for (unsigned char& byte : content) {  // xorshift64*
            state ^= state >> 12;
            state ^= state << 25;
            state ^= state >> 27;
            byte = static_cast<unsigned char>((state * 0x2545F4914F6CDD1Dull) >> 56);
        }
        char name[32];
        std::snprintf(name, sizeof name, "f%06ld.bin", i);
        const fs::path path = folder / name;
        std::FILE* out = std::fopen(path.string().c_str(), "wb");
        if (out == nullptr ||
            std::fwrite(content.data(), 1, content.size(), out) != content.size()) {
            std::perror(path.string().c_str());
            if (out != nullptr) std::fclose(out);
            return 1;
        }
        if (std::fclose(out) != 0) return 1;
    }
    return 0;
}

// A window that shows nothing; it counts blocks and checks the progress.
class RecordingWindow final : public JobWindow {
  public:
    void DisableControls() override {}
    JobOptions ReadJobOptions() override { return options; }
    void SynchronizeResult(const std::wstring& Result) override {
        ++blocks;
        lastBlock = Result;
    }
    void UpdateProgress(int position) override {
        if (position < lastPosition) ++positionsGoingDown;
        lastPosition = position;
        ++updates;
    }
    void EnableControls() override {}

    JobOptions options;
    std::wstring lastBlock;
    long blocks = 0;
    int lastPosition = 0;
    long updates = 0;
    long positionsGoingDown = 0;
};

JobOptions OptionsOf(const std::string& list) {
    JobOptions options;
    options.Path = true;
    options.Size = true;
    options.Ver = true;
    options.Time = true;
    options.CalcTime = true;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        const std::size_t end = std::min(list.find(',', begin), list.size());
        const std::string name = list.substr(begin, end - begin);
        if (name == "md5") {
            options.MD5 = true;
        } else if (name == "sha1") {
            options.SHA1 = true;
        } else if (name == "sha256") {
            options.SHA256 = true;
        } else if (name == "crc32") {
            options.CRC32 = true;
        } else if (!name.empty()) {
            throw std::invalid_argument("unknown algorithm " + name);
        }
        begin = end + 1;
    }
    return options;
}

int Job(const fs::path& folder, const std::string& algorithms) {
    UiThreadStandIn uiThread;
    RecordingWindow window;
    window.options = OptionsOf(algorithms);
    JobQueueState queue;

    const Clock::time_point start = Clock::now();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) queue.FileList.push_back(entry.path().wstring());
    }
    std::sort(queue.FileList.begin(), queue.FileList.end());
    const double listing = Seconds(Clock::now() - start);

    StartHashJob(queue, window, uiThread.Calls());
    uiThread.ServeUntilJobEnds(queue);
    const double seconds = Seconds(Clock::now() - start);

    std::string block = WideToUtf8(window.lastBlock);
    for (char& c : block) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    std::printf(
        "many seconds=%.4f listing_seconds=%.4f files=%zu blocks=%ld updates=%ld position=%d "
        "positions_going_down=%ld last_block=%s\n",
        seconds, listing, queue.FileList.size(), window.blocks, window.updates, window.lastPosition,
        window.positionsGoingDown, block.c_str());
    const bool whole = window.blocks == static_cast<long>(queue.FileList.size()) &&
                       window.positionsGoingDown == 0 &&
                       (queue.FileList.empty() || window.lastPosition == 100);
    return whole ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "create" && argc == 5) {
            return Create(fs::u8path(argv[2]), std::stol(argv[3]), std::stol(argv[4]));
        }
        if (mode == "job" && (argc == 3 || argc == 4)) {
            return Job(fs::u8path(argv[2]), argc == 4 ? argv[3] : "md5,sha1,sha256,crc32");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "manyfilesbench: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: manyfilesbench create <folder> <count> <bytes> | "
                 "job <folder> [md5,sha1,sha256,crc32]\n");
    return 2;
}
