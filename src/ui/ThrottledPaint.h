#pragma once
// Holds back the painting of controls that a job changes many times a
// second, and paints them at most once per interval, and after a long
// paint correspondingly later. Without it the window
// would paint after every change, whenever its queue runs empty, and the
// job's next synchronous call would wait for that paint.

#include <windows.h>

#include <vector>

class ThrottledPaint {
  public:
    // The timer `timerId` of `owner` paces the paints; the owner's window
    // procedure hands its WM_TIMER messages to OnTimer.
    ThrottledPaint(UINT_PTR timerId, UINT intervalMs)
        : timerId_(timerId), intervalMs_(intervalMs) {}
    ThrottledPaint(const ThrottledPaint&) = delete;
    ThrottledPaint& operator=(const ThrottledPaint&) = delete;

    void SetOwner(HWND owner) { owner_ = owner; }

    // From Begin to End, changed controls are painted by the timer.
    void Begin() { throttling_ = true; }
    // Lets whatever is held back be painted by its next WM_PAINT, and paints
    // every change at once from now on.
    void End();
    bool Throttling() const { return throttling_; }

    // Before a change to `control`: while throttling, its painting is held
    // back (its redraw switched off) until the timer fires. True when the
    // change is to be left unpainted; false when the caller paints it.
    bool HoldBack(HWND control);

    // While throttling, arms the timer for a change that the owner makes
    // itself when the timer fires. False when it makes it at once: not
    // throttling, or no timer to be had.
    bool Schedule();

    // The owner's WM_TIMER: true when it was this timer's, which then paints
    // the held-back controls.
    bool OnTimer(UINT_PTR timerId);

    // True when the timer's pause has passed. WM_TIMER comes only when no
    // other message waits: a window busy with a job's hand-overs asks this
    // between them and paints when due, instead of never.
    bool Due() const { return timerArmed_ && ::GetTickCount64() >= dueTick_; }

  private:
    // Switches the held-back controls' redraw on and has them painted: at
    // once, or by their next WM_PAINT.
    void ReleaseHeld(bool paintNow);

    const UINT_PTR timerId_;
    const UINT intervalMs_;
    // How long the latest paint took: a paint that takes long (a view of
    // many blocks under Wine) waits proportionally longer for the next.
    UINT lastPaintMs_ = 0;
    HWND owner_ = nullptr;
    bool throttling_ = false;
    bool timerArmed_ = false;
    ULONGLONG dueTick_ = 0;  // when the armed timer's pause ends
    std::vector<HWND> held_;
};
