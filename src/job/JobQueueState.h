#pragma once
// The state that the window shares with the hash job: the queue of paths,
// its lock and the handle of the running job, and the rule by which the
// drop and dialog intakes fill the queue.
//
// FileListLock guards FileList and HashTask alike: the job reads the list
// under it, the intakes append under it, and HashTask is read and written
// only while holding it. The job empties HashTask in the same hold in which
// it makes its last look at the list, and the intakes test HashTask under the
// lock after appending, so every path appended while a job runs is hashed,
// by that job or by one started right after it.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ThreadPool.h"

using TFileList = std::vector<std::wstring>;
// Recursive: the UI thread may enter it again while it processes messages
// inside a folder scan that already holds it.
using TFileListLock = std::recursive_mutex;
using FileListGuard = std::lock_guard<TFileListLock>;

struct JobQueueState {
    TFileList FileList;
    TFileListLock FileListLock;
    TaskHandle HashTask;  // empty exactly when no job runs; only under FileListLock
};

// The running job's task, or empty; takes FileListLock.
TaskHandle RunningHashTask(JobQueueState& state);
bool JobRunning(JobQueueState& state);

// The rule shared by the drop and the dialog intake, on the UI thread:
// 1. if no job runs, empty FileList;
// 2. holding FileListLock, call `append` with the list;
// 3. if no job runs now, call `startHash`.
// The lock is left on every path out of step 2, also when `append` throws.
void RunIntake(JobQueueState& state, const std::function<void(TFileList&)>& append,
               const std::function<void()>& startHash);
