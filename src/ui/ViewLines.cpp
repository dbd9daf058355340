#include "ViewLines.h"

namespace {

constexpr wchar_t kCr = L'\r';
constexpr wchar_t kLf = L'\n';

// Length of the line break at `pos`: 2 for CR LF, 1 for a lone CR or LF,
// 0 when no break starts there.
std::size_t BreakLengthAt(std::wstring_view text, std::size_t pos) {
    if (text[pos] == kCr) return pos + 1 < text.size() && text[pos + 1] == kLf ? 2 : 1;
    return text[pos] == kLf ? 1 : 0;
}

// Calls onLine(line, hasBreak) for every line of the text.
template <typename OnLine>
void ForEachLine(std::wstring_view text, OnLine onLine) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t breakLength = BreakLengthAt(text, pos);
        if (breakLength == 0) {
            ++pos;
            continue;
        }
        onLine(text.substr(start, pos - start), true);
        pos += breakLength;
        start = pos;
    }
    if (start < text.size()) onLine(text.substr(start), false);
}

}  // namespace

std::vector<std::wstring_view> SplitViewLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    ForEachLine(text, [&](std::wstring_view line, bool) { lines.push_back(line); });
    return lines;
}

std::wstring CopyAllText(std::wstring_view viewText) {
    std::wstring result;
    result.reserve(viewText.size() + viewText.size() / 16 + 2);
    ForEachLine(viewText, [&](std::wstring_view line, bool) {
        result.append(line);
        result.append(L"\r\n");
    });
    return result;
}

std::wstring WithCrLfLineBreaks(std::wstring_view viewText) {
    std::wstring result;
    result.reserve(viewText.size() + viewText.size() / 16 + 2);
    ForEachLine(viewText, [&](std::wstring_view line, bool hasBreak) {
        result.append(line);
        if (hasBreak) result.append(L"\r\n");
    });
    return result;
}

std::size_t ViewCharCount(std::wstring_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        const std::size_t breakLength = BreakLengthAt(text, pos);
        pos += breakLength == 0 ? 1 : breakLength;
    }
    return count;
}
