// The hash job against a fake window and a fake file system: the outcome of
// every kind of file, the progress it shows, the blocks it hands over, and
// how it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "HashJob.h"
#include "JobFakes.h"
#include "JobProgress.h"
#include "LocaleSettings.h"
#include "ReportFields.h"

namespace {

using Events = std::vector<std::string>;
constexpr std::int64_t kChunk = READ_CHUNK_SIZE;

// The events without those that start with `prefix`: the reads run ahead of
// the hashing, so only their own order is fixed, not where they fall among
// the calls to the window.
Events Without(const Events& events, const std::string& prefix) {
    Events kept;
    for (const std::string& event : events) {
        if (event.rfind(prefix, 0) != 0) {
            kept.push_back(event);
        }
    }
    return kept;
}

Events Only(const Events& events, const std::string& prefix) {
    Events kept;
    for (const std::string& event : events) {
        if (event.rfind(prefix, 0) == 0) {
            kept.push_back(event);
        }
    }
    return kept;
}

// The events of the file at `path` ("open:/a", "read:/a:10", ...), in order.
Events OfFile(const Events& events, const std::string& path) {
    Events kept;
    for (const std::string& event : events) {
        const std::size_t colon = event.find(':');
        if (colon == std::string::npos) continue;
        const std::string rest = event.substr(colon + 1);
        if (rest == path || rest.rfind(path + ":", 0) == 0) {
            kept.push_back(event);
        }
    }
    return kept;
}

std::wstring HashedBlock(const std::wstring& path, const Digests& digests) {
    return FormatFileNameLine(path, true) + L"MD5: " + digests.md5 + L"\r\nSHA1: " + digests.sha1 +
           L"\r\nSHA256: " + digests.sha256 + L"\r\nCRC32: " + digests.crc32 + L"\r\n";
}

class HashJobTest : public ::testing::Test {
  protected:
    HashJobTest() { job.window.options = AllAlgorithms(); }
    JobHarness job;
};

// --- What each outcome of a file produces, in order ---

TEST_F(HashJobTest, AFileThatCannotBeOpenedGetsAnOpenFailureBlockThenFileProgress) {
    job.Queue({L"/missing"});
    job.RunJob();
    EXPECT_EQ(job.log.Events(),
              (Events{"disable", "open:/missing", "result:" + Narrow(L"打开失败：/missing"),
                      "progress:100", "enable"}));
    EXPECT_EQ(job.window.results,
              std::vector<std::wstring>{L"打开失败：/missing\r\n错误原因：reason 2\r\n"});
}

TEST_F(HashJobTest, AFileThatCannotBeSizedGetsASizeFailureBlockThenFileProgressAndIsClosed) {
    FakeFile fake = SizedFile(10);
    fake.sizeError = 87;
    job.platform.AddFile(L"/a", fake);
    job.Queue({L"/a"});
    job.RunJob();
    const Events events = job.log.Events();
    EXPECT_EQ(WindowEvents(events), (Events{"disable", "result:" + Narrow(L"获取文件大小失败：/a"),
                                            "progress:100", "enable"}));
    EXPECT_EQ(FileEvents(events), (Events{"open:/a", "size:/a", "close:/a"}));
    EXPECT_EQ(job.window.results[0], L"获取文件大小失败：/a\r\n错误原因：reason 87\r\n");
}

TEST_F(HashJobTest, WithNoAlgorithmTheDetailLinesAreTheBlockAndNothingIsRead) {
    job.window.options = AlgorithmOptions(false, false, false, false);
    job.window.options.CalcTime = true;  // no time line without an algorithm
    job.window.options.Size = true;
    job.platform.AddFile(L"/dir/a.txt", SizedFile(1000));
    job.Queue({L"/dir/a.txt"});
    job.RunJob();
    const Events events = job.log.Events();
    EXPECT_EQ(WindowEvents(events),
              (Events{"disable", "result:" + Narrow(L"文件名称: /dir/a.txt"), "enable"}));
    EXPECT_EQ(FileEvents(events),
              (Events{"open:/dir/a.txt", "size:/dir/a.txt", "close:/dir/a.txt"}));
    EXPECT_EQ(job.window.results[0],
              FormatFileNameLine(L"/dir/a.txt", true) + FormatFileSizeLine(1000));
}

TEST_F(HashJobTest, AHashedFileGetsChunkProgressThenItsBlockAndIsClosed) {
    job.platform.AddFile(L"/a", SizedFile(kChunk + 10, 7));
    job.Queue({L"/a"});
    job.RunJob();
    const Events events = job.log.Events();
    // Both chunks show 100 (6553600 of 6553610 bytes rounds up): the window
    // is told once.
    EXPECT_EQ(WindowEvents(events),
              (Events{"disable", "progress:100", "result:" + Narrow(L"文件名称: /a"), "enable"}));
    EXPECT_EQ(Without(FileEvents(events), "read:"),
              (Events{"open:/a", "size:/a", "alloc", "close:/a", "free"}));
    EXPECT_EQ(Only(events, "read:"), (Events{"read:/a:6553600", "read:/a:10"}));
    // Each chunk is read before it is shown as taken.
    EXPECT_LT(std::find(events.begin(), events.end(), "read:/a:10"),
              std::find(events.rbegin(), events.rend(), "progress:100").base());
    EXPECT_EQ(job.window.results[0], HashedBlock(L"/a", PatternDigests(kChunk + 10, 7, false)));
}

TEST_F(HashJobTest, TheNextFilesAreHashedWhileTheBlocksWaitForTheWindow) {
    std::vector<std::wstring> paths;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(L"/f" + std::to_wstring(i));
        const auto seed = static_cast<std::uint8_t>(i);
        job.platform.AddFile(paths.back(), SizedFile(10 + i, seed));
        expected.push_back(HashedBlock(paths.back(), PatternDigests(10 + i, seed, false)));
    }
    job.Queue(paths);
    TaskHandle task = job.Start();
    // The UI thread answers the job's first call (the options), then nothing.
    while (job.log.Count("disable") == 0) {
        job.ui.RunPending();
        std::this_thread::yield();
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (job.log.Count("close:") < paths.size() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(job.log.Count("close:"), paths.size()) << "the job waited for the window";
    EXPECT_TRUE(job.window.results.empty());
    EXPECT_TRUE(JobRunning(job.queue));  // it ends only once the window has them all

    job.PumpUntilIdle();
    EXPECT_EQ(job.window.results, expected);
    EXPECT_EQ(job.window.enableCalls, 1);
}

TEST_F(HashJobTest, CancellingInTheReadLoopEndsTheJobWithoutABlockForTheFile) {
    // Longer than the chunks read ahead, so reads are still due.
    const auto chunks = static_cast<std::int64_t>(3 * kRingChunks);
    job.platform.AddFile(L"/a", SizedFile(chunks * kChunk));
    job.platform.AddFile(L"/b", SizedFile(10));
    // The request arrives once the first chunk is read.
    job.platform.afterRead = [&](const std::wstring& path, int number) {
        if (path == L"/a" && number == 0) RunningHashTask(job.queue)->Cancel();
    };
    job.Queue({L"/a", L"/b"});
    job.RunJob();
    const Events events = job.log.Events();
    const Events a = OfFile(events, "/a");
    EXPECT_EQ(Without(a, "read:"), (Events{"open:/a", "size:/a", "close:/a"}));
    EXPECT_EQ(Only(a, "read:").size(), 1u);  // no read once the request is seen
    // The file after it may have been taken ahead; it is closed, not shown.
    EXPECT_EQ(job.log.Count("open:/b"), job.log.Count("close:/b"));
    const Events window = WindowEvents(events);
    EXPECT_EQ(window.front(), "disable");
    EXPECT_EQ(window.back(), "enable");
    EXPECT_TRUE(job.window.results.empty());
}

// --- Progress ---

TEST_F(HashJobTest, OneFileOfEightFullChunksShowsEighthsThenReadsZeroBytes) {
    job.window.options = AlgorithmOptions(true, false, false, false);
    job.platform.AddFile(L"/big", SizedFile(8 * kChunk));
    job.Queue({L"/big"});
    job.RunJob();
    EXPECT_EQ(job.window.positions, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(job.log.Count("read:/big:6553600"), 8u);
    EXPECT_EQ(job.log.Count("read:/big:0"), 1u);
}

TEST_F(HashJobTest, ChunkProgressIsPostedAtMostOncePerIntervalAndNoneIsLost) {
    struct Case {
        const char* what;
        std::uint32_t progressTickStep;
        std::size_t progressPosts;  // the last chunk's position travels with the block
    };
    const Case cases[] = {
        {"every chunk an interval after the last", kProgressPostIntervalMs, 7},
        {"four chunks to an interval", kProgressPostIntervalMs / 4, 2},
        {"no time passes", 0, 1},
    };
    for (const Case& c : cases) {
        JobHarness paced;
        paced.window.options = AlgorithmOptions(true, false, false, false);
        paced.platform.progressTickStep = c.progressTickStep;
        paced.platform.AddFile(L"/big", SizedFile(8 * kChunk));
        paced.Queue({L"/big"});
        paced.RunJob();
        EXPECT_EQ(paced.window.positions, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}))
            << c.what;
        // With the start, the block and the end.
        EXPECT_EQ(paced.uiCallsRun, c.progressPosts + 3) << c.what;
    }
}

TEST_F(HashJobTest, EightFilesOfWhichOneCannotBeOpened) {
    struct Case {
        int unopenable;
        std::vector<int> positions;
    };
    for (const Case& c : {Case{0, {12}}, Case{2, {38}}}) {
        JobHarness eight;
        eight.window.options = AllAlgorithms();
        std::vector<std::wstring> paths;
        for (int i = 0; i < 8; ++i) {
            paths.push_back(L"/f" + std::to_wstring(i));
            if (i != c.unopenable) {
                eight.platform.AddFile(paths.back(), SizedFile(0));  // no chunk, no progress
            }
        }
        eight.Queue(paths);
        eight.RunJob();
        EXPECT_EQ(eight.window.positions, c.positions) << "unopenable file " << c.unopenable;
        EXPECT_EQ(eight.window.results.size(), 8u);
    }
}

TEST_F(HashJobTest, ReadsAndUpdatesAroundTheChunkSize) {
    struct Case {
        std::int64_t size;
        std::size_t reads;
        std::size_t updates;
    };
    const Case cases[] = {
        {0, 1, 0}, {1, 1, 1}, {kChunk - 1, 1, 1}, {kChunk, 2, 1}, {kChunk + 1, 2, 1}};
    for (const Case& c : cases) {
        JobHarness sized;
        sized.window.options = AllAlgorithms();
        sized.platform.AddFile(L"/f", SizedFile(c.size, 3));
        sized.Queue({L"/f"});
        sized.RunJob();
        EXPECT_EQ(sized.log.Count("read:"), c.reads) << "size " << c.size;
        EXPECT_EQ(sized.window.positions.size(), c.updates) << "size " << c.size;
        if (c.updates > 0) {
            EXPECT_EQ(sized.window.positions.back(), 100) << "size " << c.size;
        }
        ASSERT_EQ(sized.window.results.size(), 1u);
        EXPECT_EQ(sized.window.results[0], HashedBlock(L"/f", PatternDigests(c.size, 3, false)))
            << "size " << c.size;
    }
}

TEST_F(HashJobTest, AFileSizedZeroThatDeliversBytesShowsExactly100) {
    FakeFile grown = SizedFile(0);
    grown.length = 3 * kChunk / 2;
    job.platform.AddFile(L"/log", grown);
    job.platform.AddFile(L"/next", SizedFile(1));
    job.Queue({L"/log", L"/next"});
    job.RunJob();
    EXPECT_EQ(job.window.positions, (std::vector<int>{100}));  // shown once
    EXPECT_EQ(job.window.results[0], HashedBlock(L"/log", PatternDigests(grown.length, 0, false)));
}

TEST_F(HashJobTest, AFileThatGrewPastItsSizeGoesBeyond100) {
    FakeFile grown = SizedFile(kChunk);
    grown.length = 2 * kChunk;
    job.platform.AddFile(L"/log", grown);
    job.Queue({L"/log"});
    job.RunJob();
    EXPECT_EQ(job.window.positions, (std::vector<int>{100, 200}));  // the bar holds it at 100
}

// --- Cancellation ---

TEST_F(HashJobTest, CancellingDuringTheLastChunkStillGivesThatFilesBlock) {
    job.platform.AddFile(L"/a", SizedFile(kChunk + 5, 1));
    job.platform.AddFile(L"/b", SizedFile(5));
    job.platform.afterRead = [&](const std::wstring& path, int number) {
        if (path == L"/a" && number == 1) {
            RunningHashTask(job.queue)->Cancel();  // the last chunk is being hashed
        }
    };
    job.Queue({L"/a", L"/b"});
    job.RunJob();
    EXPECT_EQ(job.window.results,
              std::vector<std::wstring>{HashedBlock(L"/a", PatternDigests(kChunk + 5, 1, false))});
    // Made ahead while /a was hashed, but never shown.
    EXPECT_EQ(job.log.Count("open:/b"), job.log.Count("close:/b"));
    EXPECT_EQ(job.log.Events().back(), "enable");
}

TEST_F(HashJobTest, CancellationIsHonouredBeforeEachFileWithNoAlgorithmSelected) {
    job.window.options = AlgorithmOptions(false, false, false, false);
    for (const wchar_t* path : {L"/a", L"/b", L"/c"}) {
        job.platform.AddFile(path, SizedFile(10));
    }
    // The request arrives while the first file is being opened: it is
    // closed unlooked at, and of the others only the one taken ahead may
    // have been opened.
    job.platform.onOpen = [&](const std::wstring&) { RunningHashTask(job.queue)->Cancel(); };
    job.Queue({L"/a", L"/b", L"/c"});
    job.RunJob();
    EXPECT_TRUE(job.window.results.empty());
    EXPECT_EQ(job.log.Count("open:/a"), 1u);
    EXPECT_EQ(job.log.Count("open:/c"), 0u);
    EXPECT_EQ(job.log.Count("open:"), job.log.Count("close:"));
}

TEST_F(HashJobTest, AJobCancelledBeforeItBeginsStillSwitchesTheControlsBack) {
    job.platform.AddFile(L"/a", SizedFile(10));
    job.Queue({L"/a"});
    TaskHandle task = job.Start();
    task->Cancel();
    job.PumpUntilIdle();
    EXPECT_EQ(job.window.disableCalls, 1);
    EXPECT_EQ(job.window.enableCalls, 1);
    EXPECT_EQ(job.log.Count("open:"), 0u);
    EXPECT_EQ(task->Status(), TaskStatus::Cancelled);
}

// --- Failures ---

TEST_F(HashJobTest, AReadThatFailsPartWayGivesAReadFailureBlockInsteadOfDigests) {
    for (int failing : {0, 1, 2}) {
        JobHarness failed;
        failed.window.options = AllAlgorithms();
        FakeFile fake = SizedFile(3 * kChunk);
        fake.failingRead = failing;
        fake.readError = 23;
        failed.platform.AddFile(L"/disk/a", fake);
        failed.platform.AddFile(L"/b", SizedFile(1));
        failed.Queue({L"/disk/a", L"/b"});
        failed.RunJob();
        ASSERT_EQ(failed.window.results.size(), 2u);
        EXPECT_EQ(failed.window.results[0], L"读取失败：/disk/a\r\n错误原因：reason 23\r\n");
        // The chunks before the failure, then the file progress of the failure.
        std::vector<int> expected;
        for (int chunk = 1; chunk <= failing; ++chunk) {
            expected.push_back(ChunkProgressPosition(2, 0, 3 * kChunk, chunk * kChunk));
        }
        expected.push_back(50);
        expected.push_back(100);  // the next file
        EXPECT_EQ(failed.window.positions, expected) << "failing read " << failing;
        const Events events = failed.log.Events();
        const auto block =
            std::find(events.begin(), events.end(), "result:" + Narrow(L"读取失败：/disk/a"));
        ASSERT_NE(block, events.end());
        const Events window = WindowEvents(events);
        const auto shown = std::find(window.begin(), window.end(), *block);
        EXPECT_EQ(*(shown + 1), "progress:50");
        const Events files = FileEvents(events);
        EXPECT_EQ(*(std::find(files.begin(), files.end(), "read:/disk/a:failed") + 1),
                  "close:/disk/a");
        // Nothing read after the failure; the buffers stay for the next
        // file: the chunk buffers and the buffer of the lane that took /b.
        EXPECT_EQ(Only(events, "read:/disk/a").back(), "read:/disk/a:failed");
        EXPECT_EQ(failed.log.Count("alloc"), 2u);
        EXPECT_EQ(events.end()[-2], "free");
    }
}

TEST_F(HashJobTest, ABufferThatCannotBeAllocatedGivesAReadFailureBlock) {
    job.platform.allocationError = 8;
    job.platform.AddFile(L"/a", SizedFile(10));
    job.platform.AddFile(L"/b", SizedFile(10));
    job.Queue({L"/a", L"/b"});
    job.RunJob();
    EXPECT_EQ(job.window.results,
              (std::vector<std::wstring>{L"读取失败：/a\r\n错误原因：reason 8\r\n",
                                         L"读取失败：/b\r\n错误原因：reason 8\r\n"}));
    EXPECT_EQ(job.window.positions, (std::vector<int>{50, 100}));
    EXPECT_EQ(job.log.Count("read:"), 0u);
}

TEST_F(HashJobTest, TheBuffersAreAllocatedOnceForTheWholeJob) {
    const std::int64_t sizes[] = {100, 0, 3 * kChunk + 1, 1, kChunk, 5000};
    std::vector<std::wstring> paths;
    std::vector<std::wstring> expected;
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        paths.push_back(L"/f" + std::to_wstring(i));
        const auto seed = static_cast<std::uint8_t>(i);
        job.platform.AddFile(paths.back(), SizedFile(sizes[i], seed));
        expected.push_back(HashedBlock(paths.back(), PatternDigests(sizes[i], seed, false)));
    }
    paths.push_back(L"/missing");
    expected.push_back(L"打开失败：/missing\r\n错误原因：reason 2\r\n");
    job.Queue(paths);
    job.RunJob();
    EXPECT_EQ(job.window.results, expected);
    // The chunk buffers, and at most one buffer per lane for the small
    // files, however the files fall to the lanes.
    EXPECT_LE(job.log.Count("alloc"), 3u);
    EXPECT_EQ(job.log.Count("free"), job.log.Count("alloc"));
    const Events events = job.log.Events();
    EXPECT_EQ(events.end()[-2], "free");  // when the job's walk of the list ends
}

TEST_F(HashJobTest, AfterAFailedAllocationTheNextFileTriesAgain) {
    // Big files: the chunk buffers, allocated on the job's own thread.
    constexpr std::int64_t kBig = kHashInPlaceLimit + 1;
    job.platform.allocationError = 8;
    job.platform.allocationFailures = 1;
    job.platform.AddFile(L"/a", SizedFile(kBig, 1));
    job.platform.AddFile(L"/b", SizedFile(kBig, 2));
    job.Queue({L"/a", L"/b"});
    job.RunJob();
    EXPECT_EQ(job.window.results,
              (std::vector<std::wstring>{L"读取失败：/a\r\n错误原因：reason 8\r\n",
                                         HashedBlock(L"/b", PatternDigests(kBig, 2, false))}));
    EXPECT_EQ(job.log.Count("alloc:failed"), 1u);
    EXPECT_EQ(job.log.Count("alloc"), 2u);  // the failed one and the one kept
}

TEST_F(HashJobTest, AFailingCallToTheWindowEndsTheJobLikeACancellation) {
    job.platform.AddFile(L"/a", SizedFile(3 * kChunk));
    job.platform.AddFile(L"/b", SizedFile(10));
    job.window.onProgress = [](int) { throw std::runtime_error("the view refused"); };
    job.Queue({L"/a", L"/b"});
    job.RunJob();
    // The failure reaches the job at its next hand-over: no block for the
    // file, and the next one, if taken ahead, is closed unshown.
    const Events events = job.log.Events();
    EXPECT_EQ(Without(OfFile(events, "/a"), "read:"), (Events{"open:/a", "size:/a", "close:/a"}));
    EXPECT_EQ(job.log.Count("open:/b"), job.log.Count("close:/b"));
    const Events window = WindowEvents(events);
    ASSERT_GE(window.size(), 3u);
    EXPECT_EQ(window[0], "disable");
    EXPECT_EQ(window[1], "progress:17");
    EXPECT_EQ(window.back(), "enable");
    EXPECT_TRUE(job.window.results.empty());
}

TEST_F(HashJobTest, AnAllocationThatThrowsEndsTheJobAndReleasesTheFile) {
    // The contexts begun for the file are ended too: the leak checker of the
    // sanitizer build sees any handle left behind.
    job.platform.allocationThrows = true;
    job.platform.AddFile(L"/a", SizedFile(10));
    job.platform.AddFile(L"/b", SizedFile(10));
    job.Queue({L"/a", L"/b"});
    job.RunJob();
    const Events events = job.log.Events();
    EXPECT_EQ(OfFile(events, "/a"), (Events{"open:/a", "size:/a", "close:/a"}));
    EXPECT_EQ(job.log.Count("open:"), job.log.Count("close:"));
    EXPECT_EQ(WindowEvents(events), (Events{"disable", "enable"}));
}

TEST_F(HashJobTest, AFailingBlockEndsTheJobButTheControlsComeBack) {
    for (const wchar_t* path : {L"/a", L"/b"}) {
        job.platform.AddFile(path, SizedFile(10));
    }
    job.window.onResult = [](const std::wstring&) { throw std::runtime_error("full"); };
    job.Queue({L"/a", L"/b"});
    TaskHandle task = job.Start();
    job.PumpUntilIdle();
    task->WaitFinished();
    // The failure reaches the job at its next hand-over or at the end of its
    // walk, and ends it like a cancellation.
    EXPECT_EQ(task->Status(), TaskStatus::Completed);
    EXPECT_EQ(job.window.enableCalls, 1);
    EXPECT_EQ(job.log.Count("open:"), job.log.Count("close:"));
}

TEST_F(HashJobTest, AFailingEnableControlsStillEmptiesHashTask) {
    job.window.onEnable = [] { throw std::runtime_error("gone"); };
    TaskHandle task = job.Start();
    job.PumpUntilIdle();
    task->WaitFinished();
    EXPECT_EQ(task->Status(), TaskStatus::Faulted);
}

// --- The block ---

TEST_F(HashJobTest, ABlockWithEveryOptionSet) {
    JobOptions all = AllAlgorithms();
    all.Size = all.Ver = all.Time = all.CalcTime = all.Upcase = true;
    job.window.options = all;
    job.platform.firstTick = 0xFFFFFF00u;  // the tick wraps during the file
    job.platform.tickStep = 2500;
    const std::int64_t size = 2 * kChunk + 77;
    job.platform.AddFile(L"/dir/b.bin", SizedFile(size, 9));
    job.Queue({L"/dir/b.bin"});
    job.RunJob();
    const Digests digests = PatternDigests(size, 9, true);
    const std::wstring separator = CurrentLocaleSettings()->DecimalSeparator;
    EXPECT_EQ(job.window.results[0],
              FormatFileNameLine(L"/dir/b.bin", true) + FormatFileSizeLine(size) +
                  FormatFileVersionLine(L"/dir/b.bin") + FormatFileTimeLine(NoNativeHandle()) +
                  L"MD5: " + digests.md5 + L"\r\nSHA1: " + digests.sha1 + L"\r\nSHA256: " +
                  digests.sha256 + L"\r\nCRC32: " + digests.crc32 + L"\r\n计算时间: 2" + separator +
                  L"50s" + FormatSpeed(size, 2500) + L"\r\n");
}

TEST_F(HashJobTest, TheTimeLineFollowsTheLocalesDecimalSeparator) {
    const auto previous = *CurrentLocaleSettings();
    LocaleSettings comma = previous;
    comma.DecimalSeparator = L",";
    InstallLocaleSettings(comma);
    job.window.options = AlgorithmOptions(false, false, false, true);
    job.window.options.CalcTime = true;
    job.platform.tickStep = 250;
    job.platform.AddFile(L"/a", SizedFile(1));
    job.Queue({L"/a"});
    job.RunJob();
    InstallLocaleSettings(previous);
    EXPECT_NE(job.window.results[0].find(L"\r\n计算时间: 0,25s\r\n"), std::wstring::npos)
        << Narrow(job.window.results[0]);
}

TEST_F(HashJobTest, TheTimeLineTakesOneSeparatorForBothNumbersWhileTheLocaleChanges) {
    // Every look at the regional settings through the platform finds them
    // changed again; neither separator is the one installed for the process.
    const auto previous = *CurrentLocaleSettings();
    LocaleSettings point = previous;
    point.DecimalSeparator = L".";
    InstallLocaleSettings(point);
    bool comma = false;
    job.platform.localeSnapshots = [&] {
        LocaleSettings settings = point;
        comma = !comma;
        settings.DecimalSeparator = comma ? L"," : L"#";
        return std::make_shared<const LocaleSettings>(settings);
    };
    job.window.options = AlgorithmOptions(false, false, false, true);
    job.window.options.CalcTime = true;
    job.platform.tickStep = 2000;
    job.platform.AddFile(L"/a", SizedFile(4'000'000));
    job.Queue({L"/a"});
    job.RunJob();
    InstallLocaleSettings(previous);
    const std::wstring& block = job.window.results.at(0);
    const bool commaLine = block.find(L"计算时间: 2,00s (2,00 MB/s)\r\n") != std::wstring::npos;
    const bool hashLine = block.find(L"计算时间: 2#00s (2#00 MB/s)\r\n") != std::wstring::npos;
    EXPECT_TRUE(commaLine || hashLine) << Narrow(block);
}

TEST_F(HashJobTest, SelectedAlgorithmsOnlyAndTheBareNameWithoutThePathOption) {
    job.window.options = AlgorithmOptions(false, true, false, true);
    job.window.options.Path = false;
    job.platform.AddFile(L"/dir/c.iso", SizedFile(100, 2));
    job.Queue({L"/dir/c.iso", L"/dir/missing.iso"});
    job.RunJob();
    const Digests digests = PatternDigests(100, 2, false);
    EXPECT_EQ(job.window.results, (std::vector<std::wstring>{
                                      FormatFileNameLine(L"/dir/c.iso", false) + L"SHA1: " +
                                          digests.sha1 + L"\r\nCRC32: " + digests.crc32 + L"\r\n",
                                      L"打开失败：/dir/missing.iso\r\n错误原因：reason 2\r\n"}));
}

TEST_F(HashJobTest, AnEmptyQueueOnlySwitchesTheControls) {
    job.RunJob();
    EXPECT_EQ(job.log.Events(), (Events{"disable", "enable"}));
}

TEST_F(HashJobTest, ManyFilesAreHashedInOrderWithTheirOwnDigests) {
    std::vector<std::wstring> paths;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 30; ++i) {
        paths.push_back(L"/f" + std::to_wstring(i));
        const std::int64_t size = (i * 977) % 5000;
        job.platform.AddFile(paths.back(), SizedFile(size, static_cast<std::uint8_t>(i)));
        expected.push_back(
            HashedBlock(paths.back(), PatternDigests(size, static_cast<std::uint8_t>(i), false)));
    }
    job.Queue(paths);
    job.RunJob();
    EXPECT_EQ(job.window.results, expected);
}

}  // namespace
