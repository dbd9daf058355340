// The job's two lanes: while the job's thread makes one file's block, a
// thread of the pool makes the next ones'. Files are opened, read and hashed
// at uneven speeds (delays that vary from file to file), so the lanes
// overlap in every way; the window must still see every block whole, once,
// in queue order, and a stop must leave nothing open or read behind it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "FileLane.h"
#include "HashJob.h"
#include "JobFakes.h"
#include "ReportFields.h"

namespace {

using Events = std::vector<std::string>;
constexpr std::int64_t kChunk = READ_CHUNK_SIZE;
constexpr std::int64_t kBig = kHashInPlaceLimit + 1;  // hashed with the pool

// Up to 300 microseconds, different for each file and step.
void UnevenDelay(const std::wstring& path, int step) {
    const std::size_t spread = std::hash<std::wstring>{}(path + std::to_wstring(step)) % 300;
    std::this_thread::sleep_for(std::chrono::microseconds(spread));
}

// A queue of small, empty, big and missing files with their expected blocks.
struct MixedQueue {
    std::vector<std::wstring> paths;
    std::vector<std::wstring> blocks;
};

MixedQueue AddMixedFiles(JobHarness& job, int count) {
    const std::int64_t sizes[] = {100, 4096, 0, kBig, 7, kChunk + 3, 4096, 1};
    MixedQueue queue;
    for (int i = 0; i < count; ++i) {
        const std::wstring path = L"/lanes/" + std::to_wstring(i);
        queue.paths.push_back(path);
        if (i % 11 == 10) {
            queue.blocks.push_back(L"打开失败：" + path + L"\r\n错误原因：reason 2\r\n");
            continue;
        }
        const std::int64_t size = sizes[static_cast<std::size_t>(i) % std::size(sizes)];
        const auto seed = static_cast<std::uint8_t>(i);
        job.platform.AddFile(path, SizedFile(size, seed));
        const Digests digests = PatternDigests(size, seed, false);
        queue.blocks.push_back(FormatFileNameLine(path, true) + L"MD5: " + digests.md5 +
                               L"\r\nSHA1: " + digests.sha1 + L"\r\nSHA256: " + digests.sha256 +
                               L"\r\nCRC32: " + digests.crc32 + L"\r\n");
    }
    return queue;
}

std::size_t Position(const Events& events, const std::string& event) {
    return static_cast<std::size_t>(std::find(events.begin(), events.end(), event) -
                                    events.begin());
}

TEST(FileLanes, EveryBlockArrivesWholeOnceInQueueOrderWhateverTheDelays) {
    JobHarness job;
    job.window.options = AllAlgorithms();
    const MixedQueue queue = AddMixedFiles(job, 120);
    // How many other files were open whenever one was opened.
    std::atomic<int> mostOpenBeside{0};
    job.platform.onOpen = [&](const std::wstring& path) {
        const int open = job.platform.OpenFiles();
        int seen = mostOpenBeside.load();
        while (open > seen && !mostOpenBeside.compare_exchange_weak(seen, open)) {
        }
        UnevenDelay(path, -1);
    };
    job.platform.afterRead = [](const std::wstring& path, int number) {
        UnevenDelay(path, number);
    };
    job.Queue(queue.paths);
    job.RunJob();

    EXPECT_EQ(job.window.results, queue.blocks);
    EXPECT_EQ(job.platform.OpenFiles(), 0);
    // The lanes overlapped, and never held more than one file each.
    EXPECT_EQ(mostOpenBeside.load(), 1);
    const std::vector<int>& positions = job.window.positions;
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 100);
}

TEST(FileLanes, AStopDuringOverlapReadsNothingFurtherAndLeavesNoFileOpen) {
    struct Case {
        const char* name;
        int stopAtOpenOf;   // the stop comes while this file is being opened
        int stopAfterRead;  // or after the first read of this file; -1: not
    };
    const Case cases[] = {
        {"at the first open", 0, -1},
        {"at the open of a file taken ahead", kFilesAhead, -1},
        {"at the open of a later file", 2 * kFilesAhead + 1, -1},
        {"after a read of a small file", -1, 1},
        {"after a read of a big file", -1, 3},
    };
    for (const Case& c : cases) {
        JobHarness job;
        job.window.options = AllAlgorithms();
        const MixedQueue queue = AddMixedFiles(job, 40);
        const auto stop = [&] {
            RunningHashTask(job.queue)->Cancel();
            job.log.Add("stop");
        };
        job.platform.onOpen = [&](const std::wstring& path) {
            UnevenDelay(path, -1);
            if (c.stopAtOpenOf >= 0 && path == queue.paths[c.stopAtOpenOf]) stop();
            if (RunningHashTask(job.queue)->CancellationRequested()) {
                job.log.Add("opened after the stop:" + Narrow(path) + ":");
            }
        };
        job.platform.afterRead = [&](const std::wstring& path, int number) {
            if (c.stopAfterRead >= 0 && number == 0 && path == queue.paths[c.stopAfterRead]) {
                stop();
            }
            UnevenDelay(path, number);
        };
        job.Queue(queue.paths);
        job.RunJob();

        const Events events = job.log.Events();
        const std::size_t stopped = Position(events, "stop");
        ASSERT_LT(stopped, events.size()) << c.name;
        EXPECT_EQ(job.log.Count("open:"), job.log.Count("close:")) << c.name;
        EXPECT_EQ(job.platform.OpenFiles(), 0) << c.name;
        // A file opened once the stop was requested is closed unread; the
        // blocks shown are the first of the queue, each whole, all of files
        // opened before the stop.
        const std::size_t shown = job.window.results.size();
        ASSERT_LE(shown, queue.paths.size()) << c.name;
        for (std::size_t i = 0; i < queue.paths.size(); ++i) {
            const std::string path = Narrow(queue.paths[i]);
            const std::size_t opened = Position(events, "open:" + path);
            if (job.log.Count("opened after the stop:" + path + ":") > 0) {
                EXPECT_EQ(job.log.Count("read:" + path + ":"), 0u) << c.name << ", " << path;
            }
            if (i < shown) {
                EXPECT_EQ(job.window.results[i], queue.blocks[i]) << c.name;
                EXPECT_LT(opened, stopped) << c.name << ", " << path;
            }
        }
        EXPECT_LT(shown, queue.paths.size()) << c.name;
        EXPECT_EQ(events.back(), "enable") << c.name;
    }
}

}  // namespace
