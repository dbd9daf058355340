#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reads an INI value as a 32-bit signed integer: decimal with an optional sign,
// or hexadecimal when the text is longer than two characters and begins with
// "0x" or "0X" (up to 32 bits, taken as the bit pattern, so "0xFFFFFFFF" is -1).
// Anything else - empty text, blanks, stray characters, a value that does not
// fit in 32 bits - is not an integer and gives no value.
std::optional<std::int32_t> ParseIniInteger(std::wstring_view text);
