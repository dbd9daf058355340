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
    {
        SyncGuard lock(mutex_);
        queue_.push_back(&call);
    }
    try {
        wake_();
    } catch (...) {
        // Not woken: withdraw the call, unless the UI thread has already
        // taken it, in which case it runs and is waited for as usual.
        SyncGuard lock(mutex_);
        const auto queued = std::find(queue_.begin(), queue_.end(), &call);
        if (queued != queue_.end()) {
            queue_.erase(queued);
            throw;
        }
    }
    const auto spinUntil = std::chrono::steady_clock::now() + kSpinBeforeSleep;
    while (!call.done.load(std::memory_order_acquire) &&
           std::chrono::steady_clock::now() < spinUntil) {
        std::this_thread::yield();
    }
    SyncLock lock(mutex_);
    callDone_.wait(lock, [&call] { return call.done.load(std::memory_order_relaxed); });
    lock.unlock();
    if (call.failure) {
        std::rethrow_exception(call.failure);
    }
}

std::size_t UiCallQueue::RunPending() {
    if (!OnUiThread()) {
        throw std::logic_error("RunPending is for the UI thread");
    }
    std::size_t ran = 0;
    for (;;) {
        PendingCall* call = nullptr;
        {
            SyncGuard lock(mutex_);
            if (queue_.empty()) {
                return ran;
            }
            call = queue_.front();
            queue_.pop_front();
        }
        try {
            call->procedure();
        } catch (...) {
            // Belongs to the caller, who raises it again.
            call->failure = std::current_exception();
        }
        {
            SyncGuard lock(mutex_);
            call->done.store(true, std::memory_order_release);
        }
        // The caller's record may vanish as soon as it sees done; notify on
        // the queue's own condition variable, never through the record.
        callDone_.notify_all();
        ++ran;
    }
}
