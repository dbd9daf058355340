#pragma once
// The lock and the condition variable of the pool and the hashing: the
// system's slim reader/writer lock and condition variable on Windows, the
// standard ones elsewhere, behind the interface of std::mutex and
// std::condition_variable. With the posix thread model of mingw-w64 the
// standard pair is built on semaphores and costs about ten times as much per
// hand-over as SRWLOCK with CONDITION_VARIABLE.

#ifdef _WIN32
#include <windows.h>

#include <mutex>

class SyncMutex {
  public:
    SyncMutex() = default;
    SyncMutex(const SyncMutex&) = delete;
    SyncMutex& operator=(const SyncMutex&) = delete;

    void lock() { ::AcquireSRWLockExclusive(&lock_); }
    bool try_lock() { return ::TryAcquireSRWLockExclusive(&lock_) != 0; }
    void unlock() { ::ReleaseSRWLockExclusive(&lock_); }
    PSRWLOCK native_handle() { return &lock_; }

  private:
    SRWLOCK lock_ = SRWLOCK_INIT;  // needs no release
};

class SyncCondition {
  public:
    SyncCondition() = default;
    SyncCondition(const SyncCondition&) = delete;
    SyncCondition& operator=(const SyncCondition&) = delete;

    // Without time-out, SleepConditionVariableSRW returns only when woken,
    // which may be spuriously: callers wait for a condition.
    void wait(std::unique_lock<SyncMutex>& lock) {
        ::SleepConditionVariableSRW(&condition_, lock.mutex()->native_handle(), INFINITE, 0);
    }
    template <class Predicate>
    void wait(std::unique_lock<SyncMutex>& lock, Predicate ready) {
        while (!ready()) {
            wait(lock);
        }
    }
    void notify_one() noexcept { ::WakeConditionVariable(&condition_); }
    void notify_all() noexcept { ::WakeAllConditionVariable(&condition_); }

  private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;  // needs no release
};

#else
#include <condition_variable>
#include <mutex>

using SyncMutex = std::mutex;
using SyncCondition = std::condition_variable;
#endif

using SyncLock = std::unique_lock<SyncMutex>;
using SyncGuard = std::lock_guard<SyncMutex>;
