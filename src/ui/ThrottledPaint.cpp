#include "ThrottledPaint.h"

#include <algorithm>

namespace {

// The paints take at most about a quarter of the UI thread's time.
constexpr UINT kPauseToPaint = 3;

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
    PaintHeld();
}

bool ThrottledPaint::HoldBack(HWND control) {
    if (!throttling_ || !control) return false;
    if (std::find(held_.begin(), held_.end(), control) == held_.end()) {
        held_.push_back(control);
        ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    }
    if (!timerArmed_ && owner_) {
        const UINT pause = std::max(intervalMs_, kPauseToPaint * lastPaintMs_);
        timerArmed_ = ::SetTimer(owner_, timerId_, pause, nullptr) != 0;
        // Without a timer nothing would paint the change later.
        if (!timerArmed_) {
            PaintHeld();
            return false;
        }
    }
    return true;
}

bool ThrottledPaint::OnTimer(UINT_PTR timerId) {
    if (timerId != timerId_) return false;
    PaintHeld();
    return true;
}

void ThrottledPaint::PaintHeld() {
    if (timerArmed_) {
        ::KillTimer(owner_, timerId_);  // fails only for a timer already gone
        timerArmed_ = false;
    }
    if (held_.empty()) return;
    // Painted now, not left to WM_PAINT: the job's next change may switch the
    // redraw off again before the queue runs empty.
    const double start = MillisecondsNow();
    // A paint that fails leaves the control to its next WM_PAINT.
    for (HWND control : held_) {
        ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(control, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    held_.clear();
    lastPaintMs_ = static_cast<UINT>(MillisecondsNow() - start);
}
