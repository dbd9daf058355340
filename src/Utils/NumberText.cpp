#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

std::wstring WidenAscii(const char* begin, const char* end) {
    return std::wstring(begin, end);
}

std::wstring ReplacePoint(std::wstring text, const std::wstring& decimalSeparator) {
    const auto point = text.find(L'.');
    if (point != std::wstring::npos) {
        text.replace(point, 1, decimalSeparator);
    }
    return text;
}

}  // namespace

std::wstring GroupThousands(double value, const std::wstring& thousandsSeparator) {
    if (!std::isfinite(value)) {
        return {};
    }
    const double integerPart = std::trunc(std::fabs(value));
    if (integerPart == 0.0) {
        return {};
    }
    // 310 digits hold the largest double written out in full.
    char digits[320];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, integerPart, std::chars_format::fixed, 0);
    if (result.ec != std::errc()) {
        return {};
    }
    const auto count = static_cast<std::size_t>(result.ptr - digits);
    std::wstring text;
    if (value < 0) {
        text.push_back(L'-');
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) {
            text += thousandsSeparator;
        }
        text.push_back(static_cast<wchar_t>(digits[i]));
    }
    return text;
}

std::wstring FixedTwoDecimals(double value, const std::wstring& decimalSeparator) {
    char digits[330];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
    if (result.ec != std::errc()) {
        return {};
    }
    return ReplacePoint(WidenAscii(digits, result.ptr), decimalSeparator);
}

std::wstring ShortByteSizeText(std::int64_t size, const std::wstring& decimalSeparator) {
    if (size < 1024) {
        return std::to_wstring(size) + L" bytes";
    }
    static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
    const auto bytes = static_cast<std::uint64_t>(size);
    // The smallest unit in which the value stays below 1000.
    int unit = 0;
    while (unit < 5 && (bytes >> (10 * (unit + 1))) >= 1000) {
        ++unit;
    }
    const int shift = 10 * (unit + 1);
    const std::uint64_t whole = bytes >> shift;
    const int decimals = whole < 10 ? 2 : whole < 100 ? 1 : 0;

    std::wstring text = std::to_wstring(whole);
    if (decimals > 0) {
        text += decimalSeparator;
        // Long division of the remainder by 2^shift, digit by digit; with
        // shift at most 60 the remainder times ten fits in 64 bits.
        const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
        std::uint64_t remainder = bytes & mask;
        for (int i = 0; i < decimals; ++i) {
            remainder *= 10;
            text.push_back(static_cast<wchar_t>(L'0' + (remainder >> shift)));
            remainder &= mask;
        }
    }
    return text + L" " + kUnits[unit];
}
