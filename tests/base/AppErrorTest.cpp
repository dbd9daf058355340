// The program's exception: its text for the error box, the system's code and
// the place that raised it.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Utf8Text.h"

namespace {

TEST(AppErrorTest, ACodeBecomesTheSystemsReasonAfterTheContext) {
    const AppError plain(2);
    EXPECT_EQ(plain.Code(), 2u);
    EXPECT_EQ(plain.Message(), SystemErrorReason(2));

    const AppError withContext(2, L"Cannot open clipboard: ");
    EXPECT_EQ(withContext.Message(), L"Cannot open clipboard: " + SystemErrorReason(2));
    EXPECT_EQ(std::string(withContext.what()), WideToUtf8(withContext.Message()));
}

TEST(AppErrorTest, AProgramTextCarriesNoCode) {
    const AppError error(L"视图无法容纳更多文本");
    EXPECT_EQ(error.Code(), 0u);
    EXPECT_EQ(error.Message(), L"视图无法容纳更多文本");
    EXPECT_EQ(std::string(error.what()), "视图无法容纳更多文本");
}

TEST(AppErrorTest, RemembersWhereItWasRaised) {
    const int line = __LINE__ + 1;
    const AppError error(L"x");
    EXPECT_EQ(error.Where().line(), static_cast<unsigned>(line));
    EXPECT_NE(std::string(error.Where().file_name()).find("AppErrorTest.cpp"), std::string::npos);
}

}  // namespace
