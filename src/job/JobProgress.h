#pragma once
// Progress bar positions of the hash job, computed in double precision with
// the operations in the order given and rounded to the nearest integer,
// halves to the even neighbour.

#include <cstdint>

// Rounds halves to even; values beyond the 32-bit range are held at its ends.
std::int32_t RoundProgress(double value);

// After a file that could not be opened, sized or read:
// (100 / fileCount) * (index + 1).
std::int32_t FileProgressPosition(std::int32_t fileCount, std::int32_t index);

// After a chunk: (100 / fileCount) * index + ((100 / fileSize) * fedBytes) / fileCount,
// or exactly 100 for a file sized 0 that delivered bytes all the same.
std::int32_t ChunkProgressPosition(std::int32_t fileCount, std::int32_t index,
                                   std::int64_t fileSize, std::int64_t fedBytes);
