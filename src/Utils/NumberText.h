#pragma once
// Number rendering for the report lines, with separators passed in so that a
// caller works on one locale snapshot throughout.

#include <cstdint>
#include <string>

// The "#,#" pattern: the integer part of value in decimal digits, the
// thousands separator between groups of three counted from the right, a
// leading minus for negative values. Zero gives the empty text.
std::wstring GroupThousands(double value, const std::wstring& thousandsSeparator);

// Fixed notation with exactly two decimals, correctly rounded, no grouping.
std::wstring FixedTwoDecimals(double value, const std::wstring& decimalSeparator);

// A short size text in the manner of the Windows shell: below 1024 "N bytes",
// above that three significant digits, truncated, in KB, MB, GB, TB, PB or EB
// of 1024 each (1234567 gives "1.17 MB").
std::wstring ShortByteSizeText(std::int64_t size, const std::wstring& decimalSeparator);
