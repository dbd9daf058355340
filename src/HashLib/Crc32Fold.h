#pragma once
// Inside the CRC-32: the table routine and the folding routines, each
// continuing a CRC over any number of bytes. A folding routine runs only on a
// processor that has its instructions, and hands short inputs and the tail
// to the table routine.

#include <cstddef>
#include <cstdint>

std::uint32_t Crc32ByTable(std::uint32_t crc, const unsigned char* data, std::size_t count);

std::uint32_t Crc32ByFold128(std::uint32_t crc, const unsigned char* data, std::size_t count);
std::uint32_t Crc32ByFold256(std::uint32_t crc, const unsigned char* data, std::size_t count);
std::uint32_t Crc32ByFold512(std::uint32_t crc, const unsigned char* data, std::size_t count);
