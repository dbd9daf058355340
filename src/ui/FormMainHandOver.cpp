// The window as the collector of a burst of starts: it takes the paths the
// other starts hand over (see BurstHandOver.h) until the burst is quiet.

#include <windows.h>

#include <optional>
#include <utility>

#include "FormMain.h"
#include "HandOverPayload.h"
#include "IntakeScans.h"
#include "JobQueueState.h"
#include "UniqueAny.h"

void TFormMain::CollectBurst(TBurstCollector collector) {
    burst_ = std::move(collector);
    if (!handle_ || closing_) {
        burst_.End();
        return;
    }
    burst_.Publish(handle_);
    // Fails only for a handle that is no window; the burst then ends with it.
    ::SetTimer(handle_, kBurstTimer, kBurstQuietMs, nullptr);
}

void TFormMain::EndCollecting() {
    // Fails only when no timer is set: there is nothing to stop.
    if (handle_) ::KillTimer(handle_, kBurstTimer);
    burst_.End();
}

bool TFormMain::TakeHandOver(const COPYDATASTRUCT& data) {
    if (data.dwData != kHandOverTag) return false;
    if (!Collecting() || closing_ || !JobQueue || IntakeScans().Closing()) return false;
    std::optional<std::vector<std::wstring>> paths = DecodeHandOver(data.lpData, data.cbData);
    if (!paths) return false;
    // The sender waits for the answer, and a folder's scan may take longer
    // than it waits: the paths are queued after the answer, by a message of
    // the window's own. Only the first of the hand-overs waiting posts it.
    if (handOvers_.empty() && !takingHandOvers_ &&
        !::PostMessageW(handle_, WM_APP_HANDOVERS, 0, 0)) {
        return false;  // the start keeps its paths and opens its own window
    }
    handOvers_.push_back(std::move(*paths));
    // The quiet time starts again with every hand-over taken.
    ::SetTimer(handle_, kBurstTimer, kBurstQuietMs, nullptr);
    return true;
}

void TFormMain::QueueHandOvers() {
    // A hand-over that arrives while an earlier one scans its folders waits
    // for it: the paths go in in the order they arrived.
    if (takingHandOvers_) return;
    takingHandOvers_ = true;
    const ScopeGuard done([this] { takingHandOvers_ = false; });
    while (!handOvers_.empty() && JobQueue && !IntakeScans().Closing()) {
        const std::vector<std::wstring> next = std::move(handOvers_.front());
        handOvers_.pop_front();
        QueueHandedOverPaths(next);
    }
    // A window that closes meanwhile drops them with the rest of its queue.
    handOvers_.clear();
}
