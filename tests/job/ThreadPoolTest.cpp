#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ThreadPool.h"

namespace {

using namespace std::chrono_literals;

// A gate that tasks wait on until the test opens it (or 30 s pass, so that a
// fault shows as a failure, not a hang).
class Gate {
  public:
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    bool Wait() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 30s, [this] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

TEST(ThreadPoolTest, DefaultPoolHasAtLeastTwoWorkers) {
    EXPECT_GE(ThreadPool::DefaultWorkerCount(), 2u);
    EXPECT_EQ(ThreadPool::Default().WorkerCount(), ThreadPool::DefaultWorkerCount());
    EXPECT_EQ(&ThreadPool::Default(), &ThreadPool::Default());
}

TEST(ThreadPoolTest, TaskRunsOnceAndCompletes) {
    ThreadPool pool(2);
    std::atomic<int> runs{0};
    TaskHandle task = ThreadPool::Create([&](const Task&) { ++runs; });
    EXPECT_EQ(task->Status(), TaskStatus::Created);
    pool.Start(task);
    EXPECT_THROW(pool.Start(task), std::logic_error);
    const TaskHandle set[] = {task};
    pool.WaitForAll(set);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(task->Status(), TaskStatus::Completed);
    EXPECT_TRUE(task->Finished());
}

TEST(ThreadPoolTest, StatusReadsCancelledFromTheRequestOn) {
    ThreadPool pool(2);
    Gate started, cancelled;
    std::atomic<bool> sawCancelledInside{false};
    TaskHandle task = pool.Run([&](const Task& self) {
        started.Open();
        cancelled.Wait();
        sawCancelledInside = self.Status() == TaskStatus::Cancelled;
    });
    ASSERT_TRUE(started.Wait());
    EXPECT_EQ(task->Status(), TaskStatus::Running);
    task->Cancel();
    EXPECT_EQ(task->Status(), TaskStatus::Cancelled);  // while it still runs
    EXPECT_FALSE(task->Finished());
    cancelled.Open();
    task->WaitFinished();
    EXPECT_TRUE(sawCancelledInside);
    EXPECT_EQ(task->Status(), TaskStatus::Cancelled);
}

TEST(ThreadPoolTest, TaskCancelledBeforeItRunsStillReachesItsEnd) {
    // The job must always get to empty HashTask, so a request never skips
    // the procedure: the procedure sees the request and ends early itself.
    ThreadPool pool(2);
    TaskHandle task = ThreadPool::Create([](const Task& self) {
        if (!self.CancellationRequested()) {
            throw std::runtime_error("request not visible");
        }
    });
    task->Cancel();
    pool.Start(task);
    const TaskHandle set[] = {task};
    pool.WaitForAll(set);
    EXPECT_EQ(task->Failure(), nullptr);
}

TEST(ThreadPoolTest, WaitForAllRaisesAFailureAfterEveryTaskHasFinished) {
    ThreadPool pool(2);
    std::atomic<bool> slowDone{false};
    std::vector<TaskHandle> set;
    set.push_back(pool.Run([](const Task&) { throw std::runtime_error("chunk failed"); }));
    set.push_back(pool.Run([&](const Task&) {
        std::this_thread::sleep_for(50ms);
        slowDone = true;
    }));
    try {
        pool.WaitForAll(set);
        FAIL() << "no failure raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "chunk failed");
    }
    EXPECT_TRUE(slowDone);
    EXPECT_EQ(set[0]->Status(), TaskStatus::Faulted);
    EXPECT_EQ(set[1]->Status(), TaskStatus::Completed);
}

TEST(ThreadPoolTest, FinishAllRunsWhatNoWorkerTookAndLeavesFailuresWithTheTasks) {
    ThreadPool pool(0);  // no worker: only the waiting thread can run them
    std::atomic<int> ran{0};
    std::vector<TaskHandle> set;
    set.push_back(pool.Run([](const Task&) { throw std::runtime_error("hashing failed"); }));
    set.push_back(pool.Run([&](const Task&) { ++ran; }));
    pool.FinishAll(set);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(set[0]->Status(), TaskStatus::Faulted);
    EXPECT_NE(set[0]->Failure(), nullptr);
    EXPECT_EQ(set[1]->Status(), TaskStatus::Completed);
}

TEST(ThreadPoolTest, WaitingForAnUnstartedTaskIsRefused) {
    ThreadPool pool(1);
    const TaskHandle set[] = {ThreadPool::Create([](const Task&) {})};
    EXPECT_THROW(pool.WaitForAll(set), std::logic_error);
}

TEST(ThreadPoolTest, WaitingThreadRunsTasksNoWorkerHasTaken) {
    // The only worker is held; the set can finish only if the waiting thread
    // runs it itself.
    ThreadPool pool(1);
    Gate release, blockerStarted;
    TaskHandle blocker = pool.Run([&](const Task&) {
        blockerStarted.Open();
        release.Wait();
    });
    ASSERT_TRUE(blockerStarted.Wait());
    const auto waiter = std::this_thread::get_id();
    std::vector<std::thread::id> ranOn(3);
    std::vector<TaskHandle> set;
    for (std::size_t i = 0; i < ranOn.size(); ++i) {
        set.push_back(
            pool.Run([&ranOn, i](const Task&) { ranOn[i] = std::this_thread::get_id(); }));
    }
    pool.WaitForAll(set);
    for (const auto& id : ranOn) {
        EXPECT_EQ(id, waiter);
    }
    release.Open();
    blocker->WaitFinished();
}

TEST(ThreadPoolTest, QueuedTasksRunHighestPriorityFirstOnWorkersAndWaiters) {
    for (const bool waiterHelps : {false, true}) {
        ThreadPool pool(1);
        Gate release, blockerStarted;
        TaskHandle blocker = pool.Run([&](const Task&) {
            blockerStarted.Open();
            release.Wait();
        });
        ASSERT_TRUE(blockerStarted.Wait());
        std::mutex mutex;
        std::vector<int> order;
        std::vector<TaskHandle> set;
        for (int priority : {1, 3, 2, 3}) {
            set.push_back(ThreadPool::Create(
                [&, priority](const Task&) {
                    std::lock_guard lock(mutex);
                    order.push_back(priority);
                },
                priority));
        }
        pool.StartAll(set);
        if (waiterHelps) {
            pool.WaitForAll(set);  // the worker is still held: all run here
            release.Open();
        } else {
            release.Open();
            for (const TaskHandle& task : set) {
                task->WaitFinished();
            }
        }
        blocker->WaitFinished();
        EXPECT_EQ(order, (std::vector<int>{3, 3, 2, 1})) << "waiter helps: " << waiterHelps;
    }
}

TEST(ThreadPoolTest, TasksRunInParallelOnAFixedSetOfThreads) {
    ThreadPool pool(2);
    std::mutex mutex;
    std::set<std::thread::id> threads;
    for (int round = 0; round < 50; ++round) {
        // Two tasks that can only finish together: they must run at once.
        std::atomic<int> arrived{0};
        std::atomic<bool> bothMet{true};
        const auto meet = [&](const Task&) {
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            ++arrived;
            const auto deadline = std::chrono::steady_clock::now() + 30s;
            while (arrived < 2) {
                if (std::chrono::steady_clock::now() > deadline) {
                    bothMet = false;
                    return;
                }
                std::this_thread::yield();
            }
        };
        std::vector<TaskHandle> set{pool.Run(meet), pool.Run(meet)};
        pool.WaitForAll(set);
        ASSERT_TRUE(bothMet);
    }
    // The two workers and the waiting test thread, however many tasks ran.
    EXPECT_LE(threads.size(), 3u);
}

TEST(ThreadPoolTest, QueuedTasksStillRunWhenThePoolIsDestroyed) {
    std::atomic<int> runs{0};
    std::vector<TaskHandle> tasks;
    {
        ThreadPool pool(1);
        for (int i = 0; i < 20; ++i) {
            tasks.push_back(pool.Run([&](const Task&) { ++runs; }));
        }
    }
    EXPECT_EQ(runs, 20);
    for (const TaskHandle& task : tasks) {
        EXPECT_TRUE(task->Finished());
    }
}

}  // namespace
