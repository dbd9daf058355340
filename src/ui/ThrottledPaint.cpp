#include "ThrottledPaint.h"

#include <algorithm>

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
        timerArmed_ = ::SetTimer(owner_, timerId_, intervalMs_, nullptr) != 0;
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
        ::KillTimer(owner_, timerId_);
        timerArmed_ = false;
    }
    // Painted now, not left to WM_PAINT: the job's next change may switch the
    // redraw off again before the queue runs empty.
    for (HWND control : held_) {
        ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(control, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    held_.clear();
}
