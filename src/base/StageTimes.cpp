#include "StageTimes.h"

#ifdef VARUDODI_STAGE_TIMES
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>

namespace {

constexpr std::size_t kStages = static_cast<std::size_t>(Stage::Count);

constexpr std::array<const char*, kStages> kStageNames{
    "folder scan",
    "open",
    "size",
    "name line",
    "size line",
    "version line",
    "time line",
    "begin contexts",
    "hashing",
    "finish contexts",
    "calc time line",
    "close",
    "block hand-over",
    "progress hand-over",
    "window block",
    "view insertion",
    "progress bar",
    "taskbar",
    "paint",
};

struct StageTotal {
    std::atomic<std::uint64_t> count{0};
    std::atomic<std::uint64_t> nanos{0};
};

std::array<StageTotal, kStages>& Totals() {
    static std::array<StageTotal, kStages> totals;
    return totals;
}

}  // namespace

StageTimer::~StageTimer() {
    const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now() - start_)
                           .count();
    StageTotal& total = Totals()[static_cast<std::size_t>(stage_)];
    total.count.fetch_add(1, std::memory_order_relaxed);
    total.nanos.fetch_add(static_cast<std::uint64_t>(nanos), std::memory_order_relaxed);
}

std::string StageTimesTable() {
    std::string table;
    for (std::size_t i = 0; i < kStages; ++i) {
        const std::uint64_t count = Totals()[i].count.load();
        if (count == 0) continue;
        const double ms = static_cast<double>(Totals()[i].nanos.load()) / 1e6;
        char line[160];
        std::snprintf(line, sizeof line, "%s\t%llu\t%.1f\t%.2f\n", kStageNames[i],
                      static_cast<unsigned long long>(count), ms, ms * 1000.0 / count);
        table += line;
    }
    return table;
}

void ResetStageTimes() {
    for (StageTotal& total : Totals()) {
        total.count = 0;
        total.nanos = 0;
    }
}
#else
std::string StageTimesTable() {
    return {};
}

void ResetStageTimes() {}
#endif
