// The about box's text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AboutBox.h"

namespace {

TEST(AboutText, HasTheTitleLineAddressBlankLineAndFeaturesEachEndedByCrLf) {
    const std::wstring text = AboutText();
    EXPECT_EQ(text.rfind(L"Varudodi by Veriko\r\n", 0), 0u);
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the last line ends with CR LF";
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_NE(lines[1].find(L"@example.com"), std::wstring::npos);
    EXPECT_EQ(lines[2], L"");
    EXPECT_EQ(lines[3], L"功能特点：");
    EXPECT_EQ(lines[4], L"* 采用并行计算，提高计算速度");
    EXPECT_EQ(lines[5], L"* 支持多个文件或文件夹拖放操作");
    EXPECT_EQ(lines[6], L"* 支持参数启动(参数为一个或多个文件或文件夹路径)");
    EXPECT_EQ(lines[7],
              L"* 支持保存个人设置(默认保存在注册表，如果存在同名ini文件，则保存在ini文件)");
    for (const auto& line : lines) {
        EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos);
    }
}

}  // namespace
