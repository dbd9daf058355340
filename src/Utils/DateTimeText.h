#pragma once
// Date-time patterns rendered from calendar fields.

#include <string>
#include <string_view>

struct CalendarTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// Renders pattern with the fields of time. Letter runs, in either case:
//   y, yyy, yyyy...: the year in at least four digits; yy: its last two digits
//   m, mm: the month (one digit where possible, or two); an m run after an
//          hour field means the minutes, whatever separators stand between
//   d, dd: the day; h, hh: the hour on the 24-hour clock; n, nn: the minutes;
//   s, ss: the seconds
// ':' becomes timeSeparator; every other character is copied as it stands.
std::wstring FormatDateTimePattern(std::wstring_view pattern, const CalendarTime& time,
                                   const std::wstring& timeSeparator);
