#pragma once
// The benchmark's own thread in the part of the UI thread: the job's calls
// wake it, and it serves them until the job has ended.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "JobQueueState.h"
#include "UiCallQueue.h"

class UiThreadStandIn {
  public:
    UiThreadStandIn()
        : ui_([this] {
              {
                  std::lock_guard lock(mutex_);
                  pending_ = true;
              }
              woken_.notify_one();
          }) {}

    UiCallQueue& Calls() { return ui_; }

    // Serves the job's calls as they come until HashTask is empty.
    void ServeUntilJobEnds(JobQueueState& queue) {
        while (JobRunning(queue)) {
            {
                std::unique_lock lock(mutex_);
                // The time-out only notices the job's end, which posts nothing.
                woken_.wait_for(lock, std::chrono::milliseconds(1), [this] { return pending_; });
                pending_ = false;
            }
            ui_.RunPending();
        }
    }

  private:
    // Declared before the queue: its wake callback uses them.
    std::mutex mutex_;
    std::condition_variable woken_;
    bool pending_ = false;
    UiCallQueue ui_;
};
