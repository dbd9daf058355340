// The queue shared by the intakes and the job: the intake rule, and that
// every path appended while a job runs is hashed by that job or by one
// started right after it.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "JobFakes.h"

namespace {

class HashJobQueueTest : public ::testing::Test {
  protected:
    HashJobQueueTest() { job.window.options = AlgorithmOptions(false, false, false, true); }

    // An intake of one path, the way the drop and dialog intakes run it.
    void Intake(const std::wstring& path, std::int64_t size = 10) {
        job.platform.AddFile(path, SizedFile(size));
        RunIntake(
            job.queue, [&](TFileList& list) { list.push_back(path); },
            [&] {
                ++jobsStarted;
                job.Start();
            });
    }

    // Each path as often as a block reports it.
    std::multiset<std::wstring> ReportedPaths() const {
        std::multiset<std::wstring> paths;
        const std::wstring label = L"文件名称: ";
        for (const std::wstring& block : job.window.results) {
            if (block.rfind(label, 0) == 0) {
                paths.insert(block.substr(label.size(), block.find(L'\r') - label.size()));
            }
        }
        return paths;
    }

    JobHarness job;
    int jobsStarted = 0;
};

TEST_F(HashJobQueueTest, AnIntakeOnAnIdleWindowReplacesTheQueueAndStartsAJob) {
    job.Queue({L"/old"});
    Intake(L"/new");
    EXPECT_EQ(jobsStarted, 1);
    job.PumpUntilIdle();
    EXPECT_EQ(ReportedPaths(), std::multiset<std::wstring>{L"/new"});
    EXPECT_EQ(job.queue.FileList, TFileList{L"/new"});  // kept after the job
}

TEST_F(HashJobQueueTest, AnIntakeDuringAJobOnlyAppendsAndTheJobTakesThePathOn) {
    job.platform.AddFile(L"/a", SizedFile(10));
    job.window.onResult = [&](const std::wstring&) {
        if (job.window.results.size() == 1) {
            Intake(L"/late");
        }
    };
    job.Queue({L"/a"});
    job.RunJob();
    EXPECT_EQ(jobsStarted, 0);
    EXPECT_EQ(ReportedPaths(), (std::multiset<std::wstring>{L"/a", L"/late"}));
    EXPECT_EQ(job.window.enableCalls, 1);
}

TEST_F(HashJobQueueTest, PathsAppendedWhileNoAlgorithmIsSelectedAreReachedToo) {
    job.window.options = AlgorithmOptions(false, false, false, false);
    job.platform.AddFile(L"/a", SizedFile(10));
    job.window.onResult = [&](const std::wstring&) {
        if (job.window.results.size() == 1) {
            Intake(L"/late");
        }
    };
    job.Queue({L"/a"});
    job.RunJob();
    EXPECT_EQ(ReportedPaths(), (std::multiset<std::wstring>{L"/a", L"/late"}));
}

TEST_F(HashJobQueueTest, APathAppendedAfterTheLastLookAtTheQueueIsStillHashed) {
    // EnableControls runs after the job's last look at the queue and before
    // HashTask is emptied: an intake here finds the job running and starts
    // nothing, so the job has to go on with the new path itself.
    job.platform.AddFile(L"/a", SizedFile(10));
    job.window.onEnable = [&] {
        if (job.window.enableCalls == 1) {
            Intake(L"/late");
        }
    };
    job.Queue({L"/a"});
    job.RunJob();
    EXPECT_EQ(jobsStarted, 0);
    EXPECT_EQ(ReportedPaths(), (std::multiset<std::wstring>{L"/a", L"/late"}));
    // The controls were switched off again for the path taken on.
    EXPECT_EQ(job.window.disableCalls, 2);
    EXPECT_EQ(job.window.enableCalls, 2);
    EXPECT_EQ(job.log.Events().back(), "enable");
}

TEST_F(HashJobQueueTest, AfterACancellationAppendedPathsWaitForTheNextStart) {
    job.platform.AddFile(L"/a", SizedFile(10));
    job.window.onEnable = [&] {
        if (job.window.enableCalls == 1) {
            RunningHashTask(job.queue)->Cancel();
            Intake(L"/late");
        }
    };
    job.Queue({L"/a"});
    job.RunJob();
    EXPECT_EQ(ReportedPaths(), std::multiset<std::wstring>{L"/a"});
    EXPECT_EQ(job.queue.FileList, (TFileList{L"/a", L"/late"}));
}

TEST_F(HashJobQueueTest, EveryPathAppendedAtAnyMomentIsHashed) {
    std::mt19937 random(12345);
    std::set<std::wstring> appended;
    int next = 0;
    const auto maybeIntake = [&] {
        if (next < 300 && random() % 3 == 0) {
            const std::wstring path = L"/p" + std::to_wstring(next++);
            appended.insert(path);
            // Mostly small files; now and then one of two chunks.
            const std::int64_t small[] = {0, 100, 5000};
            Intake(path, random() % 40 == 0 ? READ_CHUNK_SIZE + 1 : small[random() % 3]);
        }
    };
    job.window.onResult = [&](const std::wstring&) { maybeIntake(); };
    job.window.onProgress = [&](int) { maybeIntake(); };
    job.window.onEnable = [&] { maybeIntake(); };
    while (next < 300) {
        maybeIntake();
        job.PumpUntilIdle();
    }
    job.PumpUntilIdle();
    const std::multiset<std::wstring> reported = ReportedPaths();
    for (const std::wstring& path : appended) {
        EXPECT_EQ(reported.count(path), 1u) << Narrow(path) << " reported that often";
    }
    EXPECT_EQ(reported.size(), appended.size());
    EXPECT_GT(jobsStarted, 1);
}

TEST_F(HashJobQueueTest, TheQueueLockIsLeftWhenAnAppendFails) {
    EXPECT_THROW(RunIntake(
                     job.queue, [](TFileList&) { throw std::runtime_error("scan failed"); }, [] {}),
                 std::runtime_error);
    std::thread other([&] {
        std::unique_lock lock(job.queue.FileListLock, std::try_to_lock);
        EXPECT_TRUE(lock.owns_lock());
    });
    other.join();
}

}  // namespace
