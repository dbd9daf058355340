#include "JobQueueState.h"

TaskHandle RunningHashTask(JobQueueState& state) {
    FileListGuard guard(state.FileListLock);
    return state.HashTask;
}

bool JobRunning(JobQueueState& state) {
    return RunningHashTask(state) != nullptr;
}
