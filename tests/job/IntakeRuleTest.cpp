// The rule by which the intakes fill the queue: replace it on an idle
// window, append while a job runs, and never lose what another intake on the
// same thread is still gathering.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "JobQueueState.h"

namespace {

TaskHandle SomeTask() {
    return std::make_shared<Task>([](const Task&) {});
}

// A queue lock that stands for the job's thread: whenever the lock becomes
// free, the running job gets it and makes its last look at the queue. It
// takes on paths appended since its last look; finding none, it ends. So an
// intake that leaves the lock between its steps meets a job that ended in
// between, at the worst moment.
struct QueueWithEndingJob {
    class JobTakesFreeLock {
      public:
        explicit JobTakesFreeLock(QueueWithEndingJob& queue) : queue_(queue) {}
        void lock() { ++depth_; }
        void unlock() {
            if (--depth_ == 0) queue_.JobLooksAtQueue();
        }

      private:
        QueueWithEndingJob& queue_;
        int depth_ = 0;
    };

    void JobLooksAtQueue() {
        if (!HashTask) return;
        if (FileList.size() > jobSeen) {
            jobSeen = FileList.size();  // goes on with the new paths
        } else {
            HashTask.reset();
        }
    }

    TFileList FileList;
    JobTakesFreeLock FileListLock{*this};
    TaskHandle HashTask;
    int IntakesRunning = 0;
    std::size_t jobSeen = 0;  // the list's length at the job's last look
};

TEST(IntakeRuleTest, AJobEndingWhileTheLockIsFreeNeverMakesAnIntakeStartOverTheOldQueue) {
    QueueWithEndingJob queue;
    queue.FileList = {L"/hashed"};
    queue.jobSeen = 1;
    queue.HashTask = SomeTask();
    std::vector<TFileList> startedOver;
    RunIntake(
        queue, [](TFileList& list) { list.push_back(L"/new"); },
        [&] { startedOver.push_back(queue.FileList); });
    // Either the running job takes the new path on, or a new job hashes only
    // the new path; the old path is never hashed again.
    if (startedOver.empty()) {
        EXPECT_NE(queue.HashTask, nullptr);
        EXPECT_EQ(queue.jobSeen, 2u);
    } else {
        EXPECT_EQ(startedOver, std::vector<TFileList>{TFileList{L"/new"}});
    }
}

TEST(IntakeRuleTest, AnIntakeAfterTheJobEndedReplacesTheQueue) {
    QueueWithEndingJob queue;
    queue.FileList = {L"/hashed"};
    int starts = 0;
    RunIntake(
        queue, [](TFileList& list) { list.push_back(L"/new"); }, [&] { ++starts; });
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(queue.FileList, TFileList{L"/new"});
}

// The drop intake processes messages while it scans a folder; a second drop
// or the open dialog can run inside it.
TEST(IntakeRuleTest, AnIntakeInsideAnotherOnlyAppendsAndTheOuterOneStartsTheJob) {
    struct Case {
        const char* name;
        bool jobRunning;
    };
    for (const Case& c : {Case{"idle window", false}, Case{"during a job", true}}) {
        SCOPED_TRACE(c.name);
        JobQueueState queue;
        queue.FileList = {L"/before"};
        if (c.jobRunning) queue.HashTask = SomeTask();
        std::vector<std::string> starts;
        std::vector<std::string> replaced;
        RunIntake(
            queue,
            [&](TFileList& list) {
                list.push_back(L"/scan/1");
                RunIntake(
                    queue, [](TFileList& inner) { inner.push_back(L"/dropped"); },
                    [&] { starts.push_back("inner"); }, [&] { replaced.push_back("inner"); });
                list.push_back(L"/scan/2");
            },
            [&] { starts.push_back("outer"); },
            [&] {
                EXPECT_TRUE(queue.FileList.empty()) << "told after emptying the list";
                replaced.push_back("outer");
            });
        if (c.jobRunning) {
            EXPECT_EQ(queue.FileList, (TFileList{L"/before", L"/scan/1", L"/dropped", L"/scan/2"}));
            EXPECT_TRUE(starts.empty());
            EXPECT_TRUE(replaced.empty());
        } else {
            EXPECT_EQ(queue.FileList, (TFileList{L"/scan/1", L"/dropped", L"/scan/2"}));
            EXPECT_EQ(starts, std::vector<std::string>{"outer"});
            EXPECT_EQ(replaced, std::vector<std::string>{"outer"});
        }
        EXPECT_EQ(queue.IntakesRunning, 0);
    }
}

TEST(IntakeRuleTest, AnIntakeThatFailsStillCountsAsEnded) {
    JobQueueState queue;
    EXPECT_THROW(RunIntake(
                     queue, [](TFileList&) { throw std::runtime_error("scan failed"); }, [] {}),
                 std::runtime_error);
    int starts = 0;
    RunIntake(
        queue, [](TFileList& list) { list.push_back(L"/next"); }, [&] { ++starts; });
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(queue.FileList, TFileList{L"/next"});
}

TEST(IntakeRuleTest, NoSecondJobWhenOneWasStartedDuringTheIntake) {
    // The start command clicked while the intake scans starts a job itself.
    JobQueueState queue;
    int starts = 0;
    RunIntake(
        queue,
        [&](TFileList& list) {
            list.push_back(L"/a");
            queue.HashTask = SomeTask();
        },
        [&] { ++starts; });
    EXPECT_EQ(starts, 0);
}

}  // namespace
