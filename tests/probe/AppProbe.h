#pragma once
// Looks at a running Varudodi window from outside its process: finds the
// window, reads the result view, waits until no job runs, closes it.

#include <windows.h>

#include <string>

namespace probe {

// The main window of a running instance, or nullptr after the time-out.
HWND WaitForMainWindow(DWORD timeoutMs, DWORD processId = 0);

// The child control whose caption is exactly `caption`, or nullptr.
HWND FindChildByCaption(HWND window, const std::wstring& caption);
// The first child of the given window class, or nullptr.
HWND FindChildByClass(HWND window, const std::wstring& className);

HWND ResultView(HWND window);
HWND StopButton(HWND window);

// The window's text through messages to its thread (a control's whole text).
std::wstring WindowText(HWND window);
// The text the system holds for the window (a caption): read without a
// message, so that a waiting probe never wakes the program's UI thread.
std::wstring Caption(HWND window);

// True while the window shows no running job: either no job has started
// (result view and start/stop button disabled) or the start/stop button
// offers to start again.
bool IsIdle(HWND window);
// Waits until the window has been idle for `settleMs` in a row, looking
// every `pollMs`.
bool WaitForIdle(HWND window, DWORD timeoutMs, DWORD settleMs = 300, DWORD pollMs = 25);

// How the window answered while a job ran to its end.
struct JobWatch {
    bool Ended = false;         // the job ended before the time-out
    double Seconds = 0;         // from the start of the watch to the job's end
    DWORD LongestAnswerMs = 0;  // the slowest answer to a message
    unsigned Answers = 0;       // messages answered
};
// Sends the window a message every few milliseconds until it shows no
// running job, timing every answer.
JobWatch WatchJob(HWND window, DWORD timeoutMs);

// Asks the window to close and waits until it is gone.
bool CloseAndWait(HWND window, DWORD timeoutMs);

std::string ToUtf8(const std::wstring& text);

}  // namespace probe
