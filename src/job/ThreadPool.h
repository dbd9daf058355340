#pragma once
// The program's thread pool: a fixed set of worker threads that run tasks.
// A task is created from a procedure, started, and can be asked to cancel;
// cancellation is cooperative, the procedure looks at its own status. A
// thread that waits for a set of tasks runs those of them that no worker has
// taken yet, so that waiting never leaves a core idle. Queued tasks run
// highest priority first, in start order among equals: a caller that knows
// how long its tasks take starts the longest first.

#include <atomic>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "ThreadSync.h"

enum class TaskStatus { Created, WaitingToRun, Running, Completed, Cancelled, Faulted };

class Task;
using TaskHandle = std::shared_ptr<Task>;
// The procedure receives its own task, to read whether it was cancelled.
using TaskProcedure = std::function<void(const Task& self)>;

class Task {
  public:
    explicit Task(TaskProcedure procedure, std::int64_t priority = 0);
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // Cancelled from the moment cancellation was requested, also while the
    // procedure still runs; otherwise the task's phase, or Faulted when the
    // procedure ended by an exception.
    TaskStatus Status() const;
    // Requests cancellation. The procedure still runs when it has not begun:
    // it decides itself what a request means, so it always reaches its end.
    void Cancel();
    bool CancellationRequested() const;
    // True once the procedure has returned or thrown.
    bool Finished() const;
    // The exception that ended the procedure, if any; valid once Finished.
    std::exception_ptr Failure() const;
    // Blocks until the procedure has returned or thrown.
    void WaitFinished() const;

  private:
    friend class ThreadPool;
    enum class Phase { Created, Queued, Running, Done };

    void MarkQueued();
    bool TryClaim();  // Queued to Running; true for exactly one caller
    void Execute();   // runs the claimed procedure and publishes the end

    TaskProcedure procedure_;
    const std::int64_t priority_;
    std::atomic<Phase> phase_{Phase::Created};
    std::atomic<bool> cancelRequested_{false};
    std::exception_ptr failure_;  // written before phase_ becomes Done
    mutable SyncMutex doneMutex_;
    mutable SyncCondition done_;
};

class ThreadPool {
  public:
    explicit ThreadPool(unsigned workerCount);
    // Runs what is still queued, then joins the workers.
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // The shared pool of the program, created on first use.
    static ThreadPool& Default();
    // One worker per core (at least 2) for the work the job hands out, and
    // one for the job itself, which mostly reads and waits.
    static unsigned DefaultWorkerCount();

    unsigned WorkerCount() const { return static_cast<unsigned>(workers_.size()); }

    // A task that does not run before Start.
    static TaskHandle Create(TaskProcedure procedure, std::int64_t priority = 0);
    void Start(const TaskHandle& task);
    // Starts a set at once, in its order: the workers see the whole set, so
    // the highest priorities among it are taken first. Should queueing fail
    // part way, the tasks not yet queued stay unstarted.
    void StartAll(std::span<const TaskHandle> tasks);
    // Create and Start in one.
    TaskHandle Run(TaskProcedure procedure, std::int64_t priority = 0);

    // Blocks without time-out until every task of the set has finished,
    // running the ones no worker has taken yet on the calling thread, highest
    // priority first. Then rethrows the first failure among them, in the
    // set's order.
    void WaitForAll(std::span<const TaskHandle> tasks);
    // The same wait, leaving the failures with the tasks.
    void FinishAll(std::span<const TaskHandle> tasks) noexcept;

  private:
    void WorkerLoop();
    void Enqueue(const TaskHandle& task);  // mutex_ held

    SyncMutex mutex_;
    SyncCondition wake_;
    std::deque<TaskHandle> queue_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
