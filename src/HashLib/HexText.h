#pragma once
// Hexadecimal rendering of digests: two digits per byte, high nibble first.

#include <cstdint>
#include <span>
#include <string>

std::wstring HexDigits(std::span<const std::uint8_t> bytes, bool upperCase);

// Exactly eight digits, most significant first, leading zeros kept.
std::wstring HexDigits32(std::uint32_t value, bool upperCase);
