#pragma once
// Calls to the UI thread, in the order they were made. A procedure handed to
// Call runs on the UI thread: at once when Call is made there, otherwise it
// is queued, the UI thread is woken, and the caller blocks without time-out
// until the UI thread has run it. An exception raised by the procedure is
// raised again in the caller. A procedure handed to Post is queued the same
// way, but the poster goes on at once: that is how the job hands over its
// blocks and progress while it reads the next file. The UI thread runs
// queued procedures whenever it processes messages, by calling RunPending.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <thread>

#include "ThreadSync.h"

class UiCallQueue {
  public:
    // Called when a procedure was queued from another thread and the UI
    // thread has not been woken since it last ran the queue; the window posts
    // itself a message here, whose handler calls RunPending. Raises an
    // exception when the UI thread cannot be woken.
    using WakeCallback = std::function<void()>;

    // Posted procedures not yet run, beyond which Post waits: the texts they
    // carry stay bounded when the UI thread falls behind.
    static constexpr std::size_t kMaxPosted = 256;

    // The constructing thread becomes the UI thread.
    explicit UiCallQueue(WakeCallback wake);
    UiCallQueue(const UiCallQueue&) = delete;
    UiCallQueue& operator=(const UiCallQueue&) = delete;

    // The procedure should own copies of the data it needs.
    void Call(std::function<void()> procedure);

    // Queues the procedure behind every call and post made before it and
    // returns without waiting for it, unless kMaxPosted posted procedures
    // still wait, in which case it waits until the UI thread has run one. The
    // procedure must not refer to the poster's stack. A failure it raises is
    // raised again in the next Post or WaitForPosted made off the UI thread
    // (a Call raises only its own). On the UI thread it runs at once, like
    // Call.
    void Post(std::function<void()> procedure);

    // Off the UI thread: waits until the UI thread has run every posted
    // procedure, then raises a failure one of them raised.
    void WaitForPosted();

    // UI thread only: runs every queued procedure, oldest first, including
    // those queued while it runs. Safe to enter again from a procedure that
    // processes messages. Returns how many it ran. With a time budget it
    // stops once that has passed and wakes the UI thread again for the rest,
    // so that the window's other messages get their turn in between.
    std::size_t RunPending();
    std::size_t RunPending(std::chrono::microseconds budget);

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

  private:
    struct PendingCall {
        std::function<void()> procedure;
        std::exception_ptr failure;
        // Set under the queue's lock.
        bool done = false;
    };
    // A queued procedure: a call waited for, or a posted one (call empty).
    struct Entry {
        PendingCall* call = nullptr;
        std::function<void()> posted;
        std::uint64_t id = 0;  // tells a withdrawn entry from the others
    };

    // Mutex held by `lock`. Numbers and queues the entry and wakes the UI thread unless
    // it was woken already; on a failed wake the entry is withdrawn, unless
    // the UI thread has taken it, and the failure raised.
    void Enqueue(SyncLock& lock, Entry entry);
    // Mutex held: the failure of a posted procedure, raised once.
    void RaisePostedFailure();

    const std::thread::id uiThread_;
    const WakeCallback wake_;
    SyncMutex mutex_;
    SyncCondition progress_;  // a queued procedure has run
    std::deque<Entry> queue_;
    std::size_t postedWaiting_ = 0;
    std::uint64_t nextId_ = 0;
    bool woken_ = false;  // a wake is on its way and the queue not yet run
    std::exception_ptr postedFailure_;
};
