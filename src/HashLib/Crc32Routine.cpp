#include "Crc32Routine.h"

#include <atomic>

#include "Crc32Fold.h"

namespace {

const ProcessorFeatures& RunningFeatures() {
    static const ProcessorFeatures features = ReadProcessorFeatures(RunningProcessor());
    return features;
}

constexpr int kNotForced = -1;
std::atomic<int> forcedRoutine{kNotForced};

}  // namespace

const char* Crc32RoutineName(Crc32Routine routine) {
    switch (routine) {
        case Crc32Routine::Table:
            return "table";
        case Crc32Routine::Fold128:
            return "fold128";
        case Crc32Routine::Fold256:
            return "fold256";
        case Crc32Routine::Fold512:
            return "fold512";
    }
    return "?";
}

bool ProcessorRuns(const ProcessorFeatures& features, Crc32Routine routine) {
    // The wide routines hand their short inputs to the 128-bit one.
    switch (routine) {
        case Crc32Routine::Table:
            return true;
        case Crc32Routine::Fold128:
            return features.clmul128;
        case Crc32Routine::Fold256:
            return features.clmul128 && features.clmul256;
        case Crc32Routine::Fold512:
            return features.clmul128 && features.clmul512;
    }
    return false;
}

Crc32Routine FastestCrc32Routine(const ProcessorFeatures& features) {
    for (const Crc32Routine routine :
         {Crc32Routine::Fold512, Crc32Routine::Fold256, Crc32Routine::Fold128}) {
        if (ProcessorRuns(features, routine)) {
            return routine;
        }
    }
    return Crc32Routine::Table;
}

std::uint32_t Crc32UpdateWith(Crc32Routine routine, std::uint32_t crc, const void* data,
                              std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    switch (routine) {
        case Crc32Routine::Fold128:
            return Crc32ByFold128(crc, bytes, count);
        case Crc32Routine::Fold256:
            return Crc32ByFold256(crc, bytes, count);
        case Crc32Routine::Fold512:
            return Crc32ByFold512(crc, bytes, count);
        case Crc32Routine::Table:
            break;
    }
    return Crc32ByTable(crc, bytes, count);
}

Crc32Routine Crc32ActiveRoutine() {
    if (const std::optional<Crc32Routine> forced = Crc32ForcedRoutine()) {
        return *forced;
    }
    static const Crc32Routine fastest = FastestCrc32Routine(RunningFeatures());
    return fastest;
}

bool Crc32ForceRoutine(std::optional<Crc32Routine> routine) {
    if (!routine) {
        forcedRoutine.store(kNotForced, std::memory_order_relaxed);
        return true;
    }
    if (!ProcessorRuns(RunningFeatures(), *routine)) {
        return false;
    }
    forcedRoutine.store(static_cast<int>(*routine), std::memory_order_relaxed);
    return true;
}

std::optional<Crc32Routine> Crc32ForcedRoutine() {
    const int forced = forcedRoutine.load(std::memory_order_relaxed);
    if (forced == kNotForced) {
        return std::nullopt;
    }
    return static_cast<Crc32Routine>(forced);
}
