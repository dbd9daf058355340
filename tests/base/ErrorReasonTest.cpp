// The system's reasons for error codes: trimming, the language fallback and
// the code when no text exists.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ErrorReason.h"

namespace {

TEST(ErrorReasonTest, MessageTextsLoseTrailingBlanksControlsAndFullStops) {
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

TEST(ErrorReasonTest, ReasonPrefersTheUsersLanguage) {
    FakeMessages messages{L"另一个程序正在使用此文件，进程无法访问。\r\n", L"in use.\r\n", {}};
    EXPECT_EQ(ComposeErrorReason(32, messages.Lookup()),
              L"另一个程序正在使用此文件，进程无法访问。");
    EXPECT_EQ(messages.asked, std::vector<MessageLanguage>{MessageLanguage::User});
}

TEST(ErrorReasonTest, ReasonFallsBackToEnglishThenToTheCode) {
    FakeMessages noUser{std::nullopt, L"Access is denied.\r\n", {}};
    EXPECT_EQ(ComposeErrorReason(5, noUser.Lookup()), L"Access is denied");

    FakeMessages blankUser{L" .\r\n", L"Access is denied.", {}};
    EXPECT_EQ(ComposeErrorReason(5, blankUser.Lookup()), L"Access is denied");

    FakeMessages none{std::nullopt, std::nullopt, {}};
    EXPECT_EQ(ComposeErrorReason(1234, none.Lookup()), L"错误代码 1234");
    EXPECT_EQ(ComposeErrorReason(0x80070005, none.Lookup()), L"错误代码 -2147024891");
}

TEST(ErrorReasonTest, TheSystemGivesAReasonForEveryCode) {
    const std::wstring missing = SystemErrorReason(2);  // ERROR_FILE_NOT_FOUND, ENOENT
    EXPECT_FALSE(missing.empty());
    EXPECT_NE(missing.back(), L'.');
    EXPECT_GT(missing.back(), L' ');
#ifdef _WIN32
    // No message exists for this code in any language.
    EXPECT_EQ(SystemErrorReason(0x2FFFFFFF), L"错误代码 805306367");
#endif
}

}  // namespace
