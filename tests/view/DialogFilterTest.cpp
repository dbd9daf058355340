#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogFilter.h"

namespace {

TEST(DialogFilterTest, BarsBecomeNulsAndTheListEndsWithTwo) {
    using namespace std::string_literals;
    EXPECT_EQ(SystemDialogFilter(L"文体文件|*.txt|所有文件|*.*"),
              L"文体文件\0*.txt\0所有文件\0*.*\0\0"s);
    EXPECT_EQ(SystemDialogFilter(L"All|*.*"), L"All\0*.*\0\0"s);
    EXPECT_EQ(SystemDialogFilter(L""), L"\0\0"s);
}

TEST(DialogFilterTest, EntriesPairEachDescriptionWithItsPattern) {
    using Entries = std::vector<TFilterEntry>;
    const struct {
        const wchar_t* Filter;
        Entries Expected;
    } cases[] = {
        {L"文体文件|*.txt|所有文件|*.*", Entries{{L"文体文件", L"*.txt"}, {L"所有文件", L"*.*"}}},
        {L"所有文件|*.*", Entries{{L"所有文件", L"*.*"}}},
        {L"Lists|*.md5;*.sha1|", Entries{{L"Lists", L"*.md5;*.sha1"}}},  // dangling part
        {L"Empty||Any|*", Entries{{L"Empty", L""}, {L"Any", L"*"}}},
        {L"Alone", Entries{}},
        {L"", Entries{}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DialogFilterEntries(c.Filter), c.Expected)
            << testing::PrintToString(std::wstring(c.Filter));
    }
}

}  // namespace
