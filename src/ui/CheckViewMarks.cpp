#include "CheckViewMarks.h"

#include <cstdint>

#include "ReportBlock.h"
#include "ViewLines.h"

namespace {

bool StartsWith(std::wstring_view line, std::wstring_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

bool IsUnreadFirstLine(std::wstring_view line) {
    for (const wchar_t* label :
         {kOpenFailureLabel, kSizeFailureLabel, kReadFailureLabel, kNotOpenedLabel}) {
        if (StartsWith(line, label)) return true;
    }
    return false;
}

void AddSpan(std::wstring_view block, std::wstring_view line, std::size_t offset, TTextMark mark,
             std::vector<TMarkedSpan>& spans) {
    if (line.empty()) return;
    spans.push_back(
        {offset + static_cast<std::size_t>(line.data() - block.data()), line.size(), mark});
}

// The rich-text group that opens a mark; the colour numbers are those of
// the colour table in MarkedTextRtf.
const char* MarkGroup(TTextMark mark) {
    switch (mark) {
        case TTextMark::Match:
            return "{\\cf1 ";
        case TTextMark::Alarm:
            return "{\\cf2 ";
        case TTextMark::Bold:
            return "{\\b ";
    }
    return "{";
}

// A UTF-16 unit as the reader's signed 16-bit number, with "?" for a
// reader that does not know \u (\uc1, the default, skips it).
void AppendUnit(std::string& rtf, std::uint32_t unit) {
    rtf +=
        "\\u" + std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(unit))) + "?";
}

void AppendEscaped(std::string& rtf, wchar_t c) {
    if (c == L'\\' || c == L'{' || c == L'}') {
        rtf += '\\';
        rtf += static_cast<char>(c);
    } else if (c == L'\t') {
        rtf += "\\tab ";
    } else if (c >= 0x20 && c < 0x7F) {
        rtf += static_cast<char>(c);
    } else if (const auto code = static_cast<std::uint32_t>(c); code > 0xFFFF) {
        // A 32-bit wide character (natively): its UTF-16 surrogate pair.
        AppendUnit(rtf, 0xD800 + ((code - 0x10000) >> 10));
        AppendUnit(rtf, 0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
        AppendUnit(rtf, code);
    }
}

}  // namespace

void AppendCheckBlockMarks(std::wstring_view block, std::size_t offset,
                           std::vector<TMarkedSpan>& spans) {
    const std::vector<std::wstring_view> lines = SplitViewLines(block);
    if (lines.empty()) return;
    const std::wstring_view first = lines.front();
    if (IsUnreadFirstLine(first)) {
        AddSpan(block, first, offset, TTextMark::Alarm, spans);
        return;
    }
    if (StartsWith(first, kVerifySummaryLabel)) {
        AddSpan(block, first, offset, TTextMark::Bold, spans);
        return;
    }
    // An entry's block: the name line and the digest line, then the verdict.
    if (lines.size() < 2) return;
    const std::wstring_view verdict = lines.back();
    if (verdict == kMatchVerdict) {
        AddSpan(block, verdict, offset, TTextMark::Match, spans);
    } else if (StartsWith(verdict, kMismatchVerdict)) {
        AddSpan(block, verdict, offset, TTextMark::Alarm, spans);
    }
}

std::string MarkedTextRtf(std::wstring_view text, const std::vector<TMarkedSpan>& spans) {
    std::string rtf = "{\\rtf1\\ansi{\\colortbl ;\\red0\\green128\\blue0;\\red200\\green0\\blue0;}";
    rtf.reserve(rtf.size() + text.size() * 2);
    auto span = spans.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (span != spans.end() && i == span->Start + span->Length) {
            rtf += '}';
            ++span;
        }
        if (span != spans.end() && i == span->Start) rtf += MarkGroup(span->Mark);
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            rtf += "\\par ";
            continue;
        }
        AppendEscaped(rtf, c);
    }
    if (span != spans.end() && text.size() == span->Start + span->Length) rtf += '}';
    rtf += '}';
    return rtf;
}
