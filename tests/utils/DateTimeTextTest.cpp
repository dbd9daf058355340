#include <gtest/gtest.h>

#include <string>

#include "DateTimeText.h"

namespace {

constexpr const wchar_t* kReportPattern = L"yyyy年mm月dd日，HH:MM:ss";

TEST(DateTimePattern, ReportPattern) {
    struct Case {
        CalendarTime time;
        const wchar_t* separator;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {{2016, 10, 5, 14, 3, 27}, L":", L"2016年10月05日，14:03:27"},
        {{2021, 1, 2, 9, 5, 3}, L":", L"2021年01月02日，09:05:03"},
        {{1999, 12, 31, 23, 59, 59}, L":", L"1999年12月31日，23:59:59"},
        {{2000, 2, 29, 0, 0, 0}, L":", L"2000年02月29日，00:00:00"},
        {{987, 7, 8, 1, 2, 3}, L":", L"0987年07月08日，01:02:03"},
        {{2016, 10, 5, 14, 3, 27}, L".", L"2016年10月05日，14.03.27"},
        {{2016, 10, 5, 14, 3, 27}, L"", L"2016年10月05日，140327"},
        {{2016, 10, 5, 14, 3, 27}, L" h ", L"2016年10月05日，14 h 03 h 27"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDateTimePattern(kReportPattern, c.time, c.separator), c.expected);
    }
}

TEST(DateTimePattern, MonthOrMinutes) {
    const CalendarTime t{2016, 4, 5, 7, 9, 1};
    EXPECT_EQ(FormatDateTimePattern(L"hh:mm", t, L":"), L"07:09");
    EXPECT_EQ(FormatDateTimePattern(L"hh mm", t, L":"), L"07 09");
    EXPECT_EQ(FormatDateTimePattern(L"mm/dd hh", t, L":"), L"04/05 07");
    EXPECT_EQ(FormatDateTimePattern(L"hh:nn:ss mm", t, L":"), L"07:09:01 04");
    EXPECT_EQ(FormatDateTimePattern(L"d.m.yy h:n:s", t, L":"), L"5.4.16 7:9:1");
}

}  // namespace
