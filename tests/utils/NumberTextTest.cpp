#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "NumberText.h"

namespace {

TEST(GroupThousands, Values) {
    struct Case {
        double value;
        const wchar_t* separator;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0, L",", L""},
        {999, L",", L"999"},
        {1000, L",", L"1,000"},
        {1000000, L",", L"1,000,000"},
        {1234567, L",", L"1,234,567"},
        {100000, L",", L"100,000"},
        {-1234, L",", L"-1,234"},
        {12.9, L",", L"12"},
        {0.7, L",", L""},
        {9007199254740992.0, L",", L"9,007,199,254,740,992"},
        {static_cast<double>(std::numeric_limits<std::int64_t>::max()), L",",
         L"9,223,372,036,854,775,808"},
        {1234567, L"\u00a0", L"1\u00a0234\u00a0567"},
        {1234567, L"", L"1234567"},
        {1234567, L"'", L"1'234'567"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GroupThousands(c.value, c.separator), c.expected) << c.value;
    }
}

TEST(FixedTwoDecimals, Values) {
    struct Case {
        double value;
        const wchar_t* separator;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {40, L".", L"40.00"},   {0, L".", L"0.00"},     {0.004, L".", L"0.00"},
        {0.006, L".", L"0.01"}, {1.999, L".", L"2.00"}, {123456.789, L".", L"123456.79"},
        {40, L",", L"40,00"},   {3.5, L"", L"350"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FixedTwoDecimals(c.value, c.separator), c.expected) << c.value;
    }
}

// Three significant digits, truncated, as the Windows shell writes sizes.
TEST(ShortByteSizeText, Values) {
    struct Case {
        std::int64_t size;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0, L"0 bytes"},
        {532, L"532 bytes"},
        {999, L"999 bytes"},
        {1023, L"1023 bytes"},
        {1024, L"1.00 KB"},
        {1340, L"1.30 KB"},
        {10239, L"9.99 KB"},
        {10240, L"10.0 KB"},
        {23506, L"22.9 KB"},
        {102400, L"100 KB"},
        {1000000, L"976 KB"},
        {1023999, L"999 KB"},
        {1024000, L"0.97 MB"},
        {1234567, L"1.17 MB"},
        {2400016, L"2.28 MB"},
        {2400000000, L"2.23 GB"},
        {std::int64_t{1} << 40, L"1.00 TB"},
        {std::int64_t{1} << 50, L"1.00 PB"},
        {std::numeric_limits<std::int64_t>::max(), L"7.99 EB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortByteSizeText(c.size, L"."), c.expected) << c.size;
    }
    EXPECT_EQ(ShortByteSizeText(1234567, L","), L"1,17 MB");
}

}  // namespace
