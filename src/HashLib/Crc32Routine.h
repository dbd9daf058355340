#pragma once
// The routines behind Crc32Update: the table routine, and folding with
// carry-less multiplication on 128-, 256- or 512-bit registers, which gives
// the same CRC several times faster. Crc32Update runs the fastest one the
// processor offers; tests and benchmarks may pick one.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "ProcessorFeatures.h"

enum class Crc32Routine { Table, Fold128, Fold256, Fold512 };

inline constexpr Crc32Routine kCrc32Routines[] = {Crc32Routine::Table, Crc32Routine::Fold128,
                                                  Crc32Routine::Fold256, Crc32Routine::Fold512};

const char* Crc32RoutineName(Crc32Routine routine);

bool ProcessorRuns(const ProcessorFeatures& features, Crc32Routine routine);

// The fastest routine of those the processor runs.
Crc32Routine FastestCrc32Routine(const ProcessorFeatures& features);

// Continues a CRC like Crc32Update, with the given routine, which the
// processor must run. MakeCrc32Table must have run.
std::uint32_t Crc32UpdateWith(Crc32Routine routine, std::uint32_t crc, const void* data,
                              std::size_t count);

// The routine Crc32Update uses: the fastest this processor runs, unless a
// test forced another.
Crc32Routine Crc32ActiveRoutine();

// A switch for tests: Crc32Update uses `routine` from now on, in every
// thread, or the fastest again for nullopt. False, and nothing changes, when
// the processor cannot run the routine.
bool Crc32ForceRoutine(std::optional<Crc32Routine> routine);
std::optional<Crc32Routine> Crc32ForcedRoutine();

// Forces a routine for its lifetime, then restores the switch as it was;
// `Forced()` tells whether the processor runs it (when not, nothing changed).
class ForcedCrc32Routine {
  public:
    explicit ForcedCrc32Routine(Crc32Routine routine)
        : previous_(Crc32ForcedRoutine()), forced_(Crc32ForceRoutine(routine)) {}
    ~ForcedCrc32Routine() {
        if (forced_) {
            Crc32ForceRoutine(previous_);
        }
    }
    ForcedCrc32Routine(const ForcedCrc32Routine&) = delete;
    ForcedCrc32Routine& operator=(const ForcedCrc32Routine&) = delete;

    bool Forced() const { return forced_; }

  private:
    std::optional<Crc32Routine> previous_;
    bool forced_;
};
