#include "UiCallQueue.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <utility>

namespace {

// A UI thread that is awake answers within microseconds; waiting that long
// without sleeping saves the caller a sleep and a wake-up, which cost more.
constexpr std::chrono::microseconds kSpinBeforeSleep{50};

}  // namespace

UiCallQueue::UiCallQueue(WakeCallback wake)
    : uiThread_(std::this_thread::get_id()), wake_(std::move(wake)) {}

void UiCallQueue::Call(std::function<void()> procedure) {
    if (OnUiThread()) {
        procedure();
        return;
    }
    PendingCall call{std::move(procedure), nullptr, false};
    SyncLock lock(mutex_);
    Enqueue(lock, Entry{&call, {}});
    lock.unlock();
    const auto spinUntil = std::chrono::steady_clock::now() + kSpinBeforeSleep;
    for (;;) {
        lock.lock();
        if (call.done || std::chrono::steady_clock::now() >= spinUntil) break;
        lock.unlock();
        std::this_thread::yield();
    }
    progress_.wait(lock, [&call] { return call.done; });
    lock.unlock();
    if (call.failure) {
        std::rethrow_exception(call.failure);
    }
}

void UiCallQueue::Post(std::function<void()> procedure) {
    if (OnUiThread()) {
        procedure();
        return;
    }
    SyncLock lock(mutex_);
    RaisePostedFailure();
    progress_.wait(lock, [this] { return postedWaiting_ < kMaxPosted; });
    // Counted before it is queued: the UI thread may run it while the
    // wake is sent, and counts it off then.
    ++postedWaiting_;
    try {
        Enqueue(lock, Entry{nullptr, std::move(procedure)});
    } catch (...) {
        --postedWaiting_;  // withdrawn
        throw;
    }
}

void UiCallQueue::WaitForPosted() {
    if (OnUiThread()) {
        throw std::logic_error("WaitForPosted is for other threads");
    }
    SyncLock lock(mutex_);
    progress_.wait(lock, [this] { return postedWaiting_ == 0; });
    RaisePostedFailure();
}

void UiCallQueue::Enqueue(SyncLock& lock, Entry entry) {
    const std::uint64_t id = entry.id = nextId_++;
    queue_.push_back(std::move(entry));
    if (woken_) return;
    woken_ = true;
    lock.unlock();
    try {
        wake_();
    } catch (...) {
        lock.lock();
        woken_ = false;
        // Not woken: withdraw the entry, unless the UI thread has already
        // taken it, in which case it runs (and a call is waited for) as usual.
        const auto queued =
            std::find_if(queue_.begin(), queue_.end(),
                         [id](const Entry& queuedEntry) { return queuedEntry.id == id; });
        if (queued != queue_.end()) {
            queue_.erase(queued);
            throw;
        }
        return;
    }
    lock.lock();
}

void UiCallQueue::RaisePostedFailure() {
    if (postedFailure_) {
        std::rethrow_exception(std::exchange(postedFailure_, nullptr));
    }
}

std::size_t UiCallQueue::RunPending() {
    return RunPending(std::chrono::microseconds::max());
}

std::size_t UiCallQueue::RunPending(std::chrono::microseconds budget) {
    if (!OnUiThread()) {
        throw std::logic_error("RunPending is for the UI thread");
    }
    const auto start = std::chrono::steady_clock::now();
    std::size_t ran = 0;
    for (;;) {
        Entry entry;
        {
            SyncLock lock(mutex_);
            // What is queued from here on needs a wake of its own, unless
            // this loop still finds it.
            woken_ = false;
            if (queue_.empty()) {
                return ran;
            }
            if (ran > 0 && std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::steady_clock::now() - start) >= budget) {
                woken_ = true;
                lock.unlock();
                try {
                    wake_();
                } catch (...) {
                    // The next procedure queued wakes the thread instead.
                    SyncGuard relock(mutex_);
                    woken_ = false;
                }
                return ran;
            }
            entry = std::move(queue_.front());
            queue_.pop_front();
        }
        std::exception_ptr failure;
        try {
            if (entry.call != nullptr) {
                entry.call->procedure();
            } else {
                entry.posted();
            }
        } catch (...) {
            // Belongs to the caller or poster, who raises it again.
            failure = std::current_exception();
        }
        {
            SyncGuard lock(mutex_);
            // Moved, not copied: the exception must not outlive the caller's
            // copy here, or its last release would race with the caller's use.
            if (entry.call != nullptr) {
                entry.call->failure = std::move(failure);
                entry.call->done = true;
            } else {
                --postedWaiting_;
                if (failure && !postedFailure_) postedFailure_ = std::move(failure);
            }
        }
        // A caller's record may vanish as soon as it sees done; notify on
        // the queue's own condition variable, never through the record.
        progress_.notify_all();
        ++ran;
    }
}
