#include "ThrottledPaint.h"

#include <algorithm>

#include "StageTimes.h"

namespace {

// The paints take at most about a tenth of the UI thread's time: during a
// job of many small files the rest goes to taking the job's texts.
constexpr UINT kPauseToPaint = 9;

double MillisecondsNow() {
    LARGE_INTEGER frequency{}, count{};
    // Both succeed on every system since Windows XP.
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

void ThrottledPaint::End() {
    throttling_ = false;
    // Nothing switches the redraw off again now: the controls are painted by
    // their own WM_PAINT, so that the message that ends the job stays short
    // and the window answers between the two.
    ReleaseHeld(/*paintNow=*/false);
}

bool ThrottledPaint::HoldBack(HWND control) {
    if (!throttling_ || !control) return false;
    if (std::find(held_.begin(), held_.end(), control) == held_.end()) {
        held_.push_back(control);
        ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    }
    if (!owner_ || Schedule()) return true;
    // Without a timer nothing would paint the change later.
    ReleaseHeld(/*paintNow=*/true);
    return false;
}

bool ThrottledPaint::Schedule() {
    if (!throttling_ || !owner_) return false;
    if (!timerArmed_) {
        const UINT pause = std::max(intervalMs_, kPauseToPaint * lastPaintMs_);
        timerArmed_ = ::SetTimer(owner_, timerId_, pause, nullptr) != 0;
        dueTick_ = ::GetTickCount64() + pause;
    }
    return timerArmed_;
}

bool ThrottledPaint::OnTimer(UINT_PTR timerId) {
    if (timerId != timerId_) return false;
    ReleaseHeld(/*paintNow=*/true);
    return true;
}

void ThrottledPaint::ReleaseHeld(bool paintNow) {
    if (timerArmed_) {
        ::KillTimer(owner_, timerId_);  // fails only for a timer already gone
        timerArmed_ = false;
    }
    if (held_.empty()) return;
    // During a job painted now, not left to WM_PAINT: the job's next change
    // may switch the redraw off again before the queue runs empty.
    const UINT how =
        RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | (paintNow ? RDW_UPDATENOW : 0u);
    const double start = MillisecondsNow();
    const StageTimer timer(Stage::Paint);
    // A paint that fails leaves the control to its next WM_PAINT.
    for (HWND control : held_) {
        ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(control, nullptr, nullptr, how);
    }
    held_.clear();
    if (paintNow) lastPaintMs_ = static_cast<UINT>(MillisecondsNow() - start);
}
