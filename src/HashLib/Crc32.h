#pragma once
// CRC-32 (IEEE 802.3, reflected polynomial 0xEDB88320): table-driven, four
// bytes per table step, or folded with carry-less multiplication where the
// processor has it (Crc32Routine.h), with the same result.

#include <cstdint>

// Eight 256-entry tables; Crc32Update reads tables 0 to 3. All zeros until
// MakeCrc32Table has filled them.
extern std::uint32_t Crc32Table[8][256];

// Fills Crc32Table. Safe to call from any thread at any time: the tables are
// built once, and later calls only wait for that first build to finish.
void MakeCrc32Table();

// Continues a CRC over count bytes at data. Start from 0; feeding the blocks
// of a stream in order gives the CRC-32 of the whole stream, whatever the
// split and the alignment. A null pointer or a count of 0 or less returns crc.
std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::int32_t count);

// The CRC-32 of two blocks one after the other, from the CRC of the first,
// the CRC of the second and the second's length in bytes: pieces of a stream
// hashed apart, on different threads, give the CRC of the whole.
std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);
