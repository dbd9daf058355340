#include "SettingKeyName.h"

namespace {

bool IsPrefixAt(std::wstring_view text, std::size_t pos) {
    return pos + 3 <= text.size() && (text[pos] == L'C' || text[pos] == L'c') &&
           (text[pos + 1] == L'B' || text[pos + 1] == L'b') && text[pos + 2] == L'_';
}

}  // namespace

std::wstring SettingKeyName(std::wstring_view controlName) {
    // One left-to-right pass: text that only forms "CB_" after a removal stays.
    std::wstring key;
    key.reserve(controlName.size());
    std::size_t pos = 0;
    while (pos < controlName.size()) {
        if (IsPrefixAt(controlName, pos)) {
            pos += 3;
        } else {
            key.push_back(controlName[pos]);
            ++pos;
        }
    }
    return key;
}
