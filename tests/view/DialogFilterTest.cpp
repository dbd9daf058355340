#include <gtest/gtest.h>

#include <string>

#include "DialogFilter.h"

namespace {

TEST(DialogFilterTest, BarsBecomeNulsAndTheListEndsWithTwo) {
    using namespace std::string_literals;
    EXPECT_EQ(SystemDialogFilter(L"文体文件|*.txt|所有文件|*.*"),
              L"文体文件\0*.txt\0所有文件\0*.*\0\0"s);
    EXPECT_EQ(SystemDialogFilter(L"All|*.*"), L"All\0*.*\0\0"s);
    EXPECT_EQ(SystemDialogFilter(L""), L"\0\0"s);
}

}  // namespace
