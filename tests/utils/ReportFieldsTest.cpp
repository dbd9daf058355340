#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "LocaleScope.h"
#include "PeImageBuilder.h"
#include "ReportFields.h"
#include "TestFiles.h"

namespace {

TEST(FileNameLine, Paths) {
    struct Case {
        const wchar_t* path;
        bool fullPath;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"D:\\tools\\a.iso", true, L"文件名称: D:\\tools\\a.iso\r\n"},
        {L"D:\\tools\\a.iso", false, L"文件名称: a.iso\r\n"},
        {L"a.iso", false, L"文件名称: a.iso\r\n"},
        {L"D:\\tools\\", false, L"文件名称: \r\n"},
        {L"D:\\tools\\", true, L"文件名称: D:\\tools\\\r\n"},
        {L"C:a.txt", false, L"文件名称: a.txt\r\n"},
        {L"\\\\server\\share\\报告.txt", false, L"文件名称: 报告.txt\r\n"},
        {L"", false, L"文件名称: \r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFileNameLine(c.path, c.fullPath), c.expected);
    }
}

// The digit group in the parentheses of a size line.
std::wstring DigitGroupOf(const std::wstring& line) {
    const auto open = line.rfind(L" (");
    const auto close = line.rfind(L" 字节)\r\n");
    if (open == std::wstring::npos || close == std::wstring::npos || close < open + 2) {
        return L"<malformed line>";
    }
    return line.substr(open + 2, close - open - 2);
}

TEST(FileSizeLine, DigitGroupsWithCommaSeparator) {
    LocaleScope locale(CommaThousands());
    struct Case {
        std::int64_t size;
        const wchar_t* group;
    };
    const Case cases[] = {
        {0, L""}, {999, L"999"}, {1000, L"1,000"}, {1000000, L"1,000,000"}, {1234567, L"1,234,567"},
    };
    for (const Case& c : cases) {
        const std::wstring line = FormatFileSizeLine(c.size);
        EXPECT_EQ(line.rfind(L"文件大小: ", 0), 0u) << line;
        EXPECT_EQ(DigitGroupOf(line), c.group) << line;
        // The short size text stands between the caption and the parentheses.
        EXPECT_GT(line.find(L" ("), std::wstring(L"文件大小: ").size()) << line;
    }
    // Zero: an empty group, so a space follows the opening parenthesis.
    const std::wstring zero = FormatFileSizeLine(0);
    EXPECT_EQ(zero.substr(zero.size() - 7), L"( 字节)\r\n");
}

TEST(FileSizeLine, FollowsTheInstalledSeparator) {
    LocaleScope locale(LocaleSettings{L",", L".", L":"});
    EXPECT_EQ(DigitGroupOf(FormatFileSizeLine(1234567)), L"1.234.567");
}

#ifndef _WIN32
TEST(FileSizeLine, WholeLineOfThisPlatform) {
    LocaleScope locale(CommaThousands());
    EXPECT_EQ(FormatFileSizeLine(1234567), L"文件大小: 1.17 MB (1,234,567 字节)\r\n");
    EXPECT_EQ(FormatFileSizeLine(0), L"文件大小: 0 bytes ( 字节)\r\n");
}
#endif

TEST(Speed, ThresholdAndRendering) {
    LocaleScope locale(CommaThousands());
    struct Case {
        std::int64_t bytes;
        std::int64_t elapsedMs;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {100'000'000, 2'500, L" (40.00 MB/s)"},
        {100'000'000, 1'000, L""},
        {100'000'000, 1'001, L" (99.90 MB/s)"},
        {1'001'000, 1'001, L" (1.00 MB/s)"},
        {0, 5'000, L" (0.00 MB/s)"},
        {5'000'000'000, 1'500, L" (3333.33 MB/s)"},
        {100, 0, L""},
        {100, -5, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSpeed(c.bytes, c.elapsedMs), c.expected)
            << c.bytes << " bytes in " << c.elapsedMs << " ms";
    }
}

TEST(Speed, LocaleDecimalSeparator) {
    LocaleScope locale(LocaleSettings{L",", L".", L":"});
    EXPECT_EQ(FormatSpeed(100'000'000, 2'500), L" (40,00 MB/s)");
}

class FileLines : public ::testing::Test {
  protected:
    ScratchDirectory scratch_;
};

TEST_F(FileLines, PlainTextFileHasNoVersion) {
    const std::string text = "no version here\r\n";
    const auto path = scratch_.Write(
        "plain.txt", {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    EXPECT_EQ(FormatFileVersionLine(path.wstring()), L"");
}

TEST_F(FileLines, MissingFileHasNoVersion) {
    EXPECT_EQ(FormatFileVersionLine((scratch_.Path() / "absent.exe").wstring()), L"");
}

TEST_F(FileLines, VersionOfABuiltImage) {
    for (bool pe32Plus : {true, false}) {
        PeImageOptions options;
        options.pe32Plus = pe32Plus;
        options.fileVersion = {1, 4, 2, 0};
        const PeImage image = BuildPeImage(options);
        const auto path = scratch_.Write(pe32Plus ? "probe64.exe" : "probe32.exe", image.bytes);
        EXPECT_EQ(FormatFileVersionLine(path.wstring()), L"文件版本: 1.4.2.0\r\n");
    }
}

TEST_F(FileLines, VersionPartsAtTheirLimits) {
    PeImageOptions options;
    options.fileVersion = {65535, 0, 10, 65534};
    const auto path = scratch_.Write("limits.dll", BuildPeImage(options).bytes);
    EXPECT_EQ(FormatFileVersionLine(path.wstring()), L"文件版本: 65535.0.10.65534\r\n");
}

TEST_F(FileLines, KnownTimeStamps) {
    const std::string text = "stamp";
    const auto path = scratch_.Write(
        "stamp.txt", {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    struct Case {
        CalendarTime local;
        const wchar_t* separator;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {{2016, 10, 5, 14, 3, 27}, L":", L"修改时间: 2016年10月05日，14:03:27\r\n"},
        {{2021, 1, 2, 9, 5, 3}, L":", L"修改时间: 2021年01月02日，09:05:03\r\n"},
        {{2016, 10, 5, 14, 3, 27}, L".", L"修改时间: 2016年10月05日，14.03.27\r\n"},
        {{2016, 10, 5, 14, 3, 27}, L"", L"修改时间: 2016年10月05日，140327\r\n"},
    };
    for (const Case& c : cases) {
        LocaleScope locale(LocaleSettings{L".", L",", c.separator});
        ASSERT_TRUE(SetLastWriteLocalTime(path, c.local));
        OpenedFile file(path);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(FormatFileTimeLine(file.Handle()), c.expected);
    }
}

TEST(FileTimeLine, InvalidHandleGivesNoLine) {
    EXPECT_EQ(FormatFileTimeLine(InvalidFileHandle()), L"");
}

}  // namespace

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>

#include <cstdlib>
#include <optional>

namespace {

// Runs with the given TZ and puts the previous one back.
class TimeZoneScope {
  public:
    explicit TimeZoneScope(const char* zone) {
        if (const char* current = std::getenv("TZ")) {
            previous_ = current;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope() {
        if (previous_) {
            setenv("TZ", previous_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

  private:
    std::optional<std::string> previous_;
};

TEST(FileVersionLine, NamedPipeGivesNoLineWithoutWaiting) {
    ScratchDirectory scratch;
    const auto pipe = scratch.Path() / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(FormatFileVersionLine(pipe.wstring()), L"");
}

// 2016-10-05 14:03:27 UTC, seen from zones with known offsets.
TEST(FileTimeLine, ConvertsToLocalTime) {
    ScratchDirectory scratch;
    const std::string text = "zone";
    const auto path = scratch.Write(
        "zone.txt", {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    const struct timeval stamp[2] = {{1475676207, 0}, {1475676207, 0}};
    ASSERT_EQ(utimes(path.c_str(), stamp), 0);
    LocaleScope locale(CommaThousands());
    struct Case {
        const char* zone;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"UTC0", L"修改时间: 2016年10月05日，14:03:27\r\n"},
        {"CST-8", L"修改时间: 2016年10月05日，22:03:27\r\n"},
        {"XYZ+10", L"修改时间: 2016年10月05日，04:03:27\r\n"},
        {"ABC-11", L"修改时间: 2016年10月06日，01:03:27\r\n"},
    };
    for (const Case& c : cases) {
        TimeZoneScope zone(c.zone);
        OpenedFile file(path);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(FormatFileTimeLine(file.Handle()), c.expected) << c.zone;
    }
}

}  // namespace
#endif
