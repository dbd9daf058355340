#include "JobQueueState.h"

TaskHandle RunningHashTask(JobQueueState& state) {
    FileListGuard guard(state.FileListLock);
    return state.HashTask;
}

bool JobRunning(JobQueueState& state) {
    return RunningHashTask(state) != nullptr;
}

void RunIntake(JobQueueState& state, const std::function<void(TFileList&)>& append,
               const std::function<void()>& startHash) {
    {
        FileListGuard guard(state.FileListLock);
        if (!state.HashTask) {
            state.FileList.clear();
        }
    }
    {
        FileListGuard guard(state.FileListLock);
        append(state.FileList);
    }
    if (!JobRunning(state)) {
        startHash();
    }
}
