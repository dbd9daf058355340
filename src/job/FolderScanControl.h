#pragma once
// Shared state of the folder scans that run on the UI thread: the message
// processing they do before each entry, and a way to cut them short.
//
// A scan processes pending window messages, so the user can close the window
// while it runs, with the drop intake still holding the queue's lock (the open
// dialog runs messages too). The window then must not free the queue under
// the intake, nor wait for a job that waits for that lock. Instead it defers
// the close: DeferClose() cuts every running scan short, and once the
// outermost intake has left its scope the resume callback asks the window to
// close again. Once a close goes ahead, intakes are refused: the window is
// waiting for its job to end and must not start another.

#include <functional>

class TScanControl {
  public:
    // `processMessages` runs before every entry a scan examines;
    // `resumeClose` runs when the last open scope ends after a deferred close.
    TScanControl(std::function<void()> processMessages, std::function<void()> resumeClose);

    // Open for the whole of an intake that runs window messages. Scopes nest
    // when an intake runs inside another's message processing.
    class TScope {
      public:
        explicit TScope(TScanControl& control);
        ~TScope();
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

      private:
        TScanControl& control_;
    };

    // Processes pending messages, then tells whether the scans go on.
    bool KeepScanning();
    bool Aborted() const { return aborted_; }
    bool Scanning() const { return depth_ > 0; }
    // A close has gone ahead: no intake is to queue anything any more.
    bool Closing() const { return closing_; }

    // A close request: when an intake is running, every scan is cut short,
    // the close is remembered for later and true is returned; the caller
    // then drops this request. False means: close now.
    bool DeferClose();
    // A new window opens for intakes; no intake may be running.
    void Reopen();

  private:
    std::function<void()> processMessages_;
    std::function<void()> resumeClose_;
    int depth_ = 0;
    bool aborted_ = false;
    bool closeDeferred_ = false;
    bool closing_ = false;
};
