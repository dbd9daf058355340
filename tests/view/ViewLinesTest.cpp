// The view's text as report lines: copy-all text, CR LF conversion and view
// positions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewLines.h"

namespace {

struct LinesCase {
    const wchar_t* Name;
    std::wstring ViewText;
    std::vector<std::wstring> Lines;
    std::wstring CopyAll;
    std::wstring CrLf;
};

const std::wstring kSha256 =
    L"SHA256: 9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08";

const LinesCase kLinesCases[] = {
    {L"empty view", L"", {}, L"", L""},
    {L"ends with a break", L"MD5: AB\r", {L"MD5: AB"}, L"MD5: AB\r\n", L"MD5: AB\r\n"},
    {L"last line holds text", L"a\rb", {L"a", L"b"}, L"a\r\nb\r\n", L"a\r\nb"},
    {L"CR LF breaks count once", L"a\r\nb\r\n", {L"a", L"b"}, L"a\r\nb\r\n", L"a\r\nb\r\n"},
    {L"lone LF", L"a\nb", {L"a", L"b"}, L"a\r\nb\r\n", L"a\r\nb"},
    {L"empty lines inside stay",
     L"a\r\r\rb\r",
     {L"a", L"", L"", L"b"},
     L"a\r\n\r\n\r\nb\r\n",
     L"a\r\n\r\n\r\nb\r\n"},
    {L"only a break", L"\r", {L""}, L"\r\n", L"\r\n"},
    {L"two breaks at the end", L"x\r\r", {L"x", L""}, L"x\r\n\r\n", L"x\r\n\r\n"},
    {L"LF CR is two breaks", L"a\n\rb", {L"a", L"", L"b"}, L"a\r\n\r\nb\r\n", L"a\r\n\r\nb"},
    {L"long digest line is one line",
     kSha256 + L"\rCRC32: 1A2B3C4D\r",
     {kSha256, L"CRC32: 1A2B3C4D"},
     kSha256 + L"\r\nCRC32: 1A2B3C4D\r\n",
     kSha256 + L"\r\nCRC32: 1A2B3C4D\r\n"},
    {L"Chinese text",
     L"文件名称: 校验.txt\r文件大小: 1 KB",
     {L"文件名称: 校验.txt", L"文件大小: 1 KB"},
     L"文件名称: 校验.txt\r\n文件大小: 1 KB\r\n",
     L"文件名称: 校验.txt\r\n文件大小: 1 KB"},
};

TEST(ViewLinesTest, SplitCopyAllAndCrLf) {
    for (const LinesCase& c : kLinesCases) {
        SCOPED_TRACE(testing::Message()
                     << "case: " << std::string(c.Name, c.Name + wcslen(c.Name)));
        const std::vector<std::wstring_view> lines = SplitViewLines(c.ViewText);
        EXPECT_EQ(std::vector<std::wstring>(lines.begin(), lines.end()), c.Lines);
        EXPECT_EQ(CopyAllText(c.ViewText), c.CopyAll);
        EXPECT_EQ(WithCrLfLineBreaks(c.ViewText), c.CrLf);
    }
}

TEST(ViewLinesTest, ViewCharCountCountsEachBreakOnce) {
    const struct {
        std::wstring Text;
        std::size_t Count;
    } cases[] = {
        {L"", 0},         {L"abc", 3},  {L"a\r\nb", 3},  {L"a\rb", 3}, {L"a\nb", 3},
        {L"\r\n\r\n", 2}, {L"\n\r", 2}, {L" 9f86d0", 7}, {L"校验", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(ViewCharCount(c.Text), c.Count) << c.Text.size();
}

TEST(ViewLinesTest, LargeTextKeepsEveryLine) {
    std::wstring view;
    for (int i = 0; i < 100000; ++i) view += L"CRC32: " + std::to_wstring(i) + L"\r";
    const std::wstring copied = CopyAllText(view);
    EXPECT_EQ(SplitViewLines(view).size(), 100000u);
    EXPECT_EQ(copied.size(), view.size() + 100000u);
    EXPECT_EQ(copied.substr(copied.size() - 14), L"CRC32: 99999\r\n");
}

}  // namespace
