#include "HexText.h"

namespace {

const wchar_t* DigitSet(bool upperCase) {
    return upperCase ? L"0123456789ABCDEF" : L"0123456789abcdef";
}

}  // namespace

std::wstring HexDigits(std::span<const std::uint8_t> bytes, bool upperCase) {
    const wchar_t* digits = DigitSet(upperCase);
    std::wstring text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0x0F]);
    }
    return text;
}

std::wstring HexDigits32(std::uint32_t value, bool upperCase) {
    const wchar_t* digits = DigitSet(upperCase);
    std::wstring text(8, L'0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = digits[value & 0x0F];
        value >>= 4;
    }
    return text;
}
