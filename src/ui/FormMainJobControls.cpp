// The user's control over the hash job: the start/stop button and the exit
// button.

#include "FormMain.h"

#include "JobQueueState.h"

void TFormMain::Btn_StopClick() {
    if (Btn_Stop.Tag != 0) {
        // Start: the whole last queue again, unless a job still runs, an
        // intake is still filling a new queue (a kept check would judge its
        // paths against the list's entries), or the window is closing (the
        // close would have to wait for the job).
        if (CanStartJob()) StartLastJob();
        return;
    }
    TaskHandle task = RunningHashTask(*JobQueue);
    if (!task) return;
    task->Cancel();
    SynchronizeResult(L"取消操作！\r\n");
}

void TFormMain::Btn_ExitClick() {
    ::SendMessageW(handle_, WM_CLOSE, 0, 0);
}
