// A job over many small files, the folder users drop most: every file gets
// its block, in queue order, and the progress only ever moves forward to 100.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HashJob.h"
#include "JobFakes.h"

namespace {

constexpr std::int64_t kChunk = READ_CHUNK_SIZE;

struct ManyFiles {
    int count;
    std::vector<std::int64_t> sizes;  // repeated over the files
    int unopenableEvery;              // every n-th file cannot be opened; 0: none
};

TEST(ManyFilesJob, ProgressNeverGoesBackAndEndsAt100) {
    const ManyFiles cases[] = {
        {500, {100}, 0},               // far more files than percent steps
        {333, {1, 4096, 0, 77}, 0},    // empty files show no progress of their own
        {250, {100, 4096}, 7},         // failures show the file's progress instead
        {40, {10, kChunk + 1, 5}, 0},  // a file of two chunks among small ones
        {3, {100}, 3},                 // the last file cannot be opened
    };
    for (const ManyFiles& c : cases) {
        JobHarness job;
        job.window.options = AllAlgorithms();
        std::vector<std::wstring> paths;
        for (int i = 0; i < c.count; ++i) {
            paths.push_back(L"/many/" + std::to_wstring(i));
            if (c.unopenableEvery == 0 || (i + 1) % c.unopenableEvery != 0) {
                job.platform.AddFile(
                    paths.back(), SizedFile(c.sizes[static_cast<std::size_t>(i) % c.sizes.size()],
                                            static_cast<std::uint8_t>(i)));
            }
        }
        job.Queue(paths);
        job.RunJob();

        const std::string name = std::to_string(c.count) + " files";
        const std::vector<int>& positions = job.window.positions;
        ASSERT_FALSE(positions.empty()) << name;
        for (std::size_t i = 1; i < positions.size(); ++i) {
            ASSERT_LE(positions[i - 1], positions[i]) << name << ", update " << i;
        }
        EXPECT_GE(positions.front(), 0) << name;
        EXPECT_EQ(positions.back(), 100) << name;

        // One block per file, in queue order.
        ASSERT_EQ(job.window.results.size(), paths.size()) << name;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_NE(job.window.results[i].find(paths[i] + L"\r\n"), std::wstring::npos)
                << name << ", block " << i;
        }
    }
}

TEST(ManyFilesJob, ASmallFilesProgressAndBlockTakeOneHandOverToTheUiThread) {
    // Each hand-over costs the UI thread a wake-up; for a file of one chunk
    // that is more than the hashing. Files that grow or fail still show each
    // update.
    JobHarness job;
    job.window.options = AllAlgorithms();
    std::vector<std::wstring> paths;
    for (int i = 0; i < 50; ++i) {
        paths.push_back(L"/small/" + std::to_wstring(i));
        job.platform.AddFile(paths.back(), SizedFile(100, static_cast<std::uint8_t>(i)));
    }
    job.Queue(paths);
    job.RunJob();
    EXPECT_EQ(job.uiCallsRun, paths.size() + 2) << "one per file, and the job's start and end";
    EXPECT_EQ(job.window.positions.size(), paths.size());
    ASSERT_EQ(job.window.results.size(), paths.size());
    // The progress still comes before the file's block.
    const auto events = WindowEvents(job.log.Events());
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        if (events[i].rfind("result:", 0) == 0) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(events[i - 1].rfind("progress:", 0), 0u) << "event " << i;
        }
    }
}

}  // namespace
