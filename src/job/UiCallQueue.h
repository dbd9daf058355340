#pragma once
// Synchronous calls to the UI thread. A procedure handed to Call runs on the
// UI thread: at once when Call is made there, otherwise it is queued, the UI
// thread is woken, and the caller blocks without time-out until the UI thread
// has run it. An exception raised by the procedure is raised again in the
// caller. The UI thread runs queued procedures whenever it processes
// messages, by calling RunPending.

#include <atomic>
#include <deque>
#include <exception>
#include <functional>
#include <thread>

#include "ThreadSync.h"

class UiCallQueue {
  public:
    // Called after a procedure was queued from another thread; the window
    // posts itself a message here, whose handler calls RunPending.
    using WakeCallback = std::function<void()>;

    // The constructing thread becomes the UI thread.
    explicit UiCallQueue(WakeCallback wake);
    UiCallQueue(const UiCallQueue&) = delete;
    UiCallQueue& operator=(const UiCallQueue&) = delete;

    // The procedure should own copies of the data it needs.
    void Call(std::function<void()> procedure);

    // UI thread only: runs every queued procedure, oldest first, including
    // those queued while it runs. Safe to enter again from a procedure that
    // processes messages. Returns how many it ran.
    std::size_t RunPending();

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

  private:
    struct PendingCall {
        std::function<void()> procedure;
        std::exception_ptr failure;
        // Set under the queue's lock; read without it while the caller waits
        // awake, under it once the caller sleeps.
        std::atomic<bool> done{false};
    };

    const std::thread::id uiThread_;
    const WakeCallback wake_;
    SyncMutex mutex_;
    SyncCondition callDone_;
    std::deque<PendingCall*> queue_;
};
