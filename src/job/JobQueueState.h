#pragma once
// The state that the window shares with the hash job: the queue of paths,
// its lock and the handle of the running job, and the rule by which the
// intakes fill the queue.
//
// FileListLock guards FileList and HashTask alike: the job reads the list
// under it, the intakes append under it, and HashTask is read and written
// only while holding it. The job empties HashTask in the same hold in which
// it makes its last look at the list, and the intakes test HashTask under the
// lock in the same hold in which they empty the list and append: a job cannot
// end in between, so an intake either replaces the queue of an idle window or
// appends to that of a running job, which takes the new paths on unless it was
// cancelled.

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
    // The intakes under way on the UI thread, nested ones included; only
    // under FileListLock.
    int IntakesRunning = 0;
};

// The running job's task, or empty; takes FileListLock.
TaskHandle RunningHashTask(JobQueueState& state);
bool JobRunning(JobQueueState& state);

// The rule by which every intake fills the queue, on the UI thread. In one
// hold of FileListLock, so that a job cannot end between the steps:
// 1. if no job runs and no other intake is under way, empty FileList and
//    call `replaced` (when given);
// 2. call `append` with the list.
// 3. After the hold, when step 1 emptied the list and still no job runs,
//    call `startHash`.
// An intake that arrives inside another's message processing (a drop while a
// folder scan runs) only appends: the paths the outer intake is gathering are
// kept, and the outer intake starts the job. A job that runs during an intake
// takes the appended paths on itself. The lock is left on every path out of
// step 2, also when `append` throws.
template <class QueueState>
void RunIntake(QueueState& state, const std::function<void(TFileList&)>& append,
               const std::function<void()>& startHash,
               const std::function<void()>& replaced = nullptr) {
    bool replacing = false;
    {
        std::lock_guard guard(state.FileListLock);
        replacing = state.IntakesRunning == 0 && !state.HashTask;
        if (replacing) {
            state.FileList.clear();
            if (replaced) replaced();
        }
        struct Running {
            int& count;
            explicit Running(int& intakes) : count(++intakes) {}
            ~Running() { --count; }
        } running(state.IntakesRunning);
        append(state.FileList);
    }
    if (!replacing) return;
    bool jobRuns = false;
    {
        // The start command may have started a job inside this intake's scan.
        std::lock_guard guard(state.FileListLock);
        jobRuns = state.HashTask != nullptr;
    }
    if (!jobRuns) startHash();
}
