#include "ThreadPool.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

Task::Task(TaskProcedure procedure, std::int64_t priority)
    : procedure_(std::move(procedure)), priority_(priority) {}

TaskStatus Task::Status() const {
    if (cancelRequested_.load(std::memory_order_acquire)) {
        return TaskStatus::Cancelled;
    }
    switch (phase_.load(std::memory_order_acquire)) {
        case Phase::Created:
            return TaskStatus::Created;
        case Phase::Queued:
            return TaskStatus::WaitingToRun;
        case Phase::Running:
            return TaskStatus::Running;
        case Phase::Done:
            break;
    }
    return failure_ ? TaskStatus::Faulted : TaskStatus::Completed;
}

void Task::Cancel() {
    cancelRequested_.store(true, std::memory_order_release);
}

bool Task::CancellationRequested() const {
    return cancelRequested_.load(std::memory_order_acquire);
}

bool Task::Finished() const {
    return phase_.load(std::memory_order_acquire) == Phase::Done;
}

std::exception_ptr Task::Failure() const {
    return Finished() ? failure_ : std::exception_ptr{};
}

void Task::WaitFinished() const {
    SyncLock lock(doneMutex_);
    done_.wait(lock, [this] { return Finished(); });
}

void Task::MarkQueued() {
    Phase expected = Phase::Created;
    if (!phase_.compare_exchange_strong(expected, Phase::Queued, std::memory_order_acq_rel)) {
        throw std::logic_error("a task can be started only once");
    }
}

bool Task::TryClaim() {
    Phase expected = Phase::Queued;
    return phase_.compare_exchange_strong(expected, Phase::Running, std::memory_order_acq_rel);
}

void Task::Execute() {
    try {
        procedure_(*this);
    } catch (...) {
        // Kept for whoever waits for the task; WaitForAll raises it again.
        failure_ = std::current_exception();
    }
    // What the procedure captured is released before anyone learns the end.
    procedure_ = nullptr;
    {
        SyncGuard lock(doneMutex_);
        phase_.store(Phase::Done, std::memory_order_release);
    }
    done_.notify_all();
}

ThreadPool::ThreadPool(unsigned workerCount) {
    workers_.reserve(workerCount);
    for (unsigned i = 0; i < workerCount; ++i) {
        workers_.emplace_back([this] { WorkerLoop(); });
    }
}

ThreadPool::~ThreadPool() {
    {
        SyncGuard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

ThreadPool& ThreadPool::Default() {
    static ThreadPool pool(DefaultWorkerCount());
    return pool;
}

unsigned ThreadPool::DefaultWorkerCount() {
    return std::max(2u, std::thread::hardware_concurrency()) + 1;
}

TaskHandle ThreadPool::Create(TaskProcedure procedure, std::int64_t priority) {
    return std::make_shared<Task>(std::move(procedure), priority);
}

void ThreadPool::Start(const TaskHandle& task) {
    task->MarkQueued();
    {
        SyncGuard lock(mutex_);
        Enqueue(task);
    }
    wake_.notify_one();
}

void ThreadPool::StartAll(std::span<const TaskHandle> tasks) {
    {
        SyncGuard lock(mutex_);
        // A task counts as started once it is queued: if queueing fails part
        // way, the rest stay unstarted and never run.
        for (const TaskHandle& task : tasks) {
            Enqueue(task);
            task->MarkQueued();
        }
    }
    for (std::size_t i = 0; i < tasks.size() && i < workers_.size(); ++i) {
        wake_.notify_one();
    }
}

void ThreadPool::Enqueue(const TaskHandle& task) {
    // Behind every task of the same or a higher priority.
    const auto before = std::find_if(queue_.begin(), queue_.end(), [&](const TaskHandle& queued) {
        return queued->priority_ < task->priority_;
    });
    queue_.insert(before, task);
}

TaskHandle ThreadPool::Run(TaskProcedure procedure, std::int64_t priority) {
    TaskHandle task = Create(std::move(procedure), priority);
    Start(task);
    return task;
}

void ThreadPool::WaitForAll(std::span<const TaskHandle> tasks) {
    for (const TaskHandle& task : tasks) {
        if (task->phase_.load(std::memory_order_acquire) == Task::Phase::Created) {
            throw std::logic_error("waiting for a task that was never started");
        }
    }
    FinishAll(tasks);
    for (const TaskHandle& task : tasks) {
        if (task->failure_) {
            std::rethrow_exception(task->failure_);
        }
    }
}

void ThreadPool::FinishAll(std::span<const TaskHandle> tasks) noexcept {
    // Help first: whatever no worker has claimed runs here, so the waiting
    // thread works instead of idling. A worker that later pops one of these
    // finds it claimed and skips it.
    std::array<Task*, 8> few{};
    std::vector<Task*> many;
    Task** byPriority = few.data();
    if (tasks.size() > few.size()) {
        many.resize(tasks.size());
        byPriority = many.data();
    }
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        byPriority[i] = tasks[i].get();
    }
    std::stable_sort(byPriority, byPriority + tasks.size(),
                     [](const Task* a, const Task* b) { return a->priority_ > b->priority_; });
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        if (byPriority[i]->TryClaim()) {
            byPriority[i]->Execute();
        }
    }
    for (const TaskHandle& task : tasks) {
        if (task->phase_.load(std::memory_order_acquire) != Task::Phase::Created) {
            task->WaitFinished();
        }
    }
}

void ThreadPool::WorkerLoop() {
    for (;;) {
        TaskHandle task;
        {
            SyncLock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;  // stopping, and nothing left to run
            }
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        if (task->TryClaim()) {
            task->Execute();
        }
    }
}
