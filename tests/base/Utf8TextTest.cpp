#include <gtest/gtest.h>

#include <string>

#include "Utf8Text.h"

namespace {

TEST(Utf8Text, RoundTrip) {
    const std::wstring texts[] = {L"", L"plain", L"计算Hash值.lnk", L"a\u00e9\u20ac\U0001F600z"};
    for (const std::wstring& text : texts) {
        EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    }
    EXPECT_EQ(WideToUtf8(L"\u00e9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(Utf8Text, InvalidSequencesBecomeReplacements) {
    EXPECT_EQ(Utf8ToWide("a\xFFz"), L"a\uFFFDz");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD");          // overlong
    EXPECT_EQ(Utf8ToWide("\xE4\xB8"), L"\uFFFD");          // cut short
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD");      // surrogate
    EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), L"\uFFFD");  // beyond U+10FFFF
}

}  // namespace
