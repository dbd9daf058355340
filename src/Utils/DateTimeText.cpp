#include "DateTimeText.h"

#include <cwctype>

namespace {

void AppendNumber(std::wstring& out, int value, std::size_t minDigits) {
    std::wstring digits = std::to_wstring(value < 0 ? -value : value);
    if (digits.size() < minDigits) {
        digits.insert(0, minDigits - digits.size(), L'0');
    }
    if (value < 0) {
        out.push_back(L'-');
    }
    out += digits;
}

}  // namespace

std::wstring FormatDateTimePattern(std::wstring_view pattern, const CalendarTime& time,
                                   const std::wstring& timeSeparator) {
    std::wstring out;
    bool afterHour = false;  // the last field written was an hour
    std::size_t i = 0;
    while (i < pattern.size()) {
        const wchar_t c = pattern[i];
        const auto letter = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        std::size_t run = 1;
        while (i + run < pattern.size() && std::towlower(static_cast<wint_t>(pattern[i + run])) ==
                                               static_cast<wint_t>(letter)) {
            ++run;
        }
        const std::size_t width = run >= 2 ? 2 : 1;
        switch (letter) {
            case L'y':
                if (run == 2) {
                    AppendNumber(out, time.Year % 100, 2);
                } else {
                    AppendNumber(out, time.Year, 4);
                }
                afterHour = false;
                break;
            case L'm':
                AppendNumber(out, afterHour ? time.Minute : time.Month, width);
                afterHour = false;
                break;
            case L'd':
                AppendNumber(out, time.Day, width);
                afterHour = false;
                break;
            case L'h':
                AppendNumber(out, time.Hour, width);
                afterHour = true;
                break;
            case L'n':
                AppendNumber(out, time.Minute, width);
                afterHour = false;
                break;
            case L's':
                AppendNumber(out, time.Second, width);
                afterHour = false;
                break;
            default:
                // Literal characters: each one on its own, runs do not apply.
                run = 1;
                if (c == L':') {
                    out += timeSeparator;
                } else {
                    out.push_back(c);
                }
                break;
        }
        i += run;
    }
    return out;
}
