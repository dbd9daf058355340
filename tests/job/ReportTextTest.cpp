// The texts of the error blocks, the time line and the error reasons.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ErrorReason.h"
#include "JobPlatform.h"
#include "ReportBlock.h"

namespace {

TEST(ReportTextTest, FailureBlocksCarryTheLabelThePathAndTheReason) {
    EXPECT_EQ(FormatFailureBlock(kOpenFailureLabel, L"C:\\a b\\x.bin", L"系统找不到指定的文件"),
              L"打开失败：C:\\a b\\x.bin\r\n错误原因：系统找不到指定的文件\r\n");
    EXPECT_EQ(FormatFailureBlock(kSizeFailureLabel, L"x", L"r"),
              L"获取文件大小失败：x\r\n错误原因：r\r\n");
    EXPECT_EQ(FormatFailureBlock(kReadFailureLabel, L"x", L"r"), L"读取失败：x\r\n错误原因：r\r\n");
}

TEST(ReportTextTest, DigestAndTimeLinesUseAnAsciiColonAndTheDecimalSeparator) {
    std::wstring text = L"文件名称: a\r\n";
    AppendDigestLine(text, L"MD5", L"d41d8cd98f00b204e9800998ecf8427e");
    AppendCalcTimeLine(text, 1.5, L",", L" (40,00 MB/s)");
    AppendCalcTimeLine(text, 0.0, L".", L"");
    AppendCalcTimeLine(text, 2.004, L".", L"");
    AppendCalcTimeLine(text, 2.006, L".", L"");
    EXPECT_EQ(text,
              L"文件名称: a\r\nMD5: d41d8cd98f00b204e9800998ecf8427e\r\n"
              L"计算时间: 1,50s (40,00 MB/s)\r\n计算时间: 0.00s\r\n计算时间: 2.00s\r\n"
              L"计算时间: 2.01s\r\n");
}

TEST(ReportTextTest, MessageTextsLoseTrailingBlanksControlsAndFullStops) {
    EXPECT_EQ(TrimMessageText(L"The system cannot find the file specified.\r\n"),
              L"The system cannot find the file specified");
    EXPECT_EQ(TrimMessageText(L"拒绝访问。\r\n"), L"拒绝访问。");  // the ideographic stop stays
    EXPECT_EQ(TrimMessageText(L"a. .\t.\x01"), L"a");
    EXPECT_EQ(TrimMessageText(L" . \r\n"), L"");
    EXPECT_EQ(TrimMessageText(L"v1.0 failed"), L"v1.0 failed");
}

struct FakeMessages {
    std::optional<std::wstring> user, english;
    std::vector<MessageLanguage> asked;
    MessageLookup Lookup() {
        return [this](ErrorCode, MessageLanguage language) {
            asked.push_back(language);
            return language == MessageLanguage::User ? user : english;
        };
    }
};

TEST(ReportTextTest, ReasonPrefersTheUsersLanguage) {
    FakeMessages messages{L"另一个程序正在使用此文件，进程无法访问。\r\n", L"in use.\r\n", {}};
    EXPECT_EQ(ComposeErrorReason(32, messages.Lookup()),
              L"另一个程序正在使用此文件，进程无法访问。");
    EXPECT_EQ(messages.asked, std::vector<MessageLanguage>{MessageLanguage::User});
}

TEST(ReportTextTest, ReasonFallsBackToEnglishThenToTheCode) {
    FakeMessages noUser{std::nullopt, L"Access is denied.\r\n", {}};
    EXPECT_EQ(ComposeErrorReason(5, noUser.Lookup()), L"Access is denied");

    FakeMessages blankUser{L" .\r\n", L"Access is denied.", {}};
    EXPECT_EQ(ComposeErrorReason(5, blankUser.Lookup()), L"Access is denied");

    FakeMessages none{std::nullopt, std::nullopt, {}};
    EXPECT_EQ(ComposeErrorReason(1234, none.Lookup()), L"错误代码 1234");
    EXPECT_EQ(ComposeErrorReason(0x80070005, none.Lookup()), L"错误代码 -2147024891");
}

TEST(ReportTextTest, TheSystemGivesAReasonForEveryCode) {
    JobPlatform& system = SystemJobPlatform();
    const std::wstring missing = system.ErrorReason(2);  // ERROR_FILE_NOT_FOUND, ENOENT
    EXPECT_FALSE(missing.empty());
    EXPECT_NE(missing.back(), L'.');
    EXPECT_GT(missing.back(), L' ');
#ifdef _WIN32
    // No message exists for this code in any language.
    EXPECT_EQ(system.ErrorReason(0x2FFFFFFF), L"错误代码 805306367");
#endif
}

}  // namespace
