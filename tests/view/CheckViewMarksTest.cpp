// The marks a check's blocks get in the result view, and the rich text that
// carries them into the view.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CheckViewMarks.h"

namespace {

using Spans = std::vector<TMarkedSpan>;

struct MarksCase {
    const char* Name;
    std::wstring Block;
    Spans Expected;  // offsets into the block
};

const std::wstring kNameAndDigest = L"文件名称: C:\\d\\a.txt\r\nMD5: 900150983cd24fb0\r\n";

const MarksCase kMarksCases[] = {
    {"match", kNameAndDigest + L"校验结果: 一致\r\n", {{41, 8, TTextMark::Match}}},
    {"difference",
     kNameAndDigest + L"校验结果: 不一致 (应为 0123)\r\n",
     {{41, 19, TTextMark::Alarm}}},
    {"not opened",
     L"打开失败：C:\\d\\gone.txt\r\n错误原因：找不到文件。\r\n",
     {{0, 18, TTextMark::Alarm}}},
    {"not sized",
     L"获取文件大小失败：C:\\x\r\n错误原因：拒绝访问。\r\n",
     {{0, 13, TTextMark::Alarm}}},
    {"not read", L"读取失败：C:\\x\r\n错误原因：I/O\r\n", {{0, 9, TTextMark::Alarm}}},
    {"refused",
     L"未打开：\\\\server\\share\\a\r\n原因：网络路径。\r\n",
     {{0, 20, TTextMark::Alarm}}},
    {"summary with lines not understood",
     L"校验完成：共 3 个文件，1 个一致，1 个不一致，1 个无法读取\r\n无法识别的行：1\r\n"
     L"无法识别的行号：2\r\n",
     {{0, 33, TTextMark::Bold}}},
    {"hash job's block", kNameAndDigest, {}},
    {"hash block with a verdict-like name",
     L"文件名称: 校验结果: 一致\r\nMD5: 900150983cd24fb0\r\n",
     {}},
    {"verdict text as the only line", L"校验结果: 一致\r\n", {}},
    {"verdict with more text is no match", kNameAndDigest + L"校验结果: 一致吗\r\n", {}},
    {"cancellation note", L"取消操作！\r\n", {}},
    {"empty", L"", {}},
    {"lone line breaks", L"文件名称: a\rMD5: b\n校验结果: 一致", {{15, 8, TTextMark::Match}}},
};

TEST(CheckViewMarksTest, EachBlockKindGetsItsMarksOnTheRightLine) {
    for (const MarksCase& c : kMarksCases) {
        SCOPED_TRACE(c.Name);
        Spans spans;
        AppendCheckBlockMarks(c.Block, 0, spans);
        EXPECT_EQ(spans, c.Expected);
        for (const TMarkedSpan& span : spans) {
            const std::wstring marked = c.Block.substr(span.Start, span.Length);
            EXPECT_EQ(marked.find_first_of(L"\r\n"), std::wstring::npos);
        }
    }
}

TEST(CheckViewMarksTest, MarksOfLaterBlocksAreMovedOnAndAppended) {
    Spans spans{{1, 2, TTextMark::Bold}};
    AppendCheckBlockMarks(L"读取失败：x\r\n错误原因：y\r\n", 100, spans);
    EXPECT_EQ(spans, (Spans{{1, 2, TTextMark::Bold}, {100, 6, TTextMark::Alarm}}));
}

constexpr const char* kRtfStart =
    "{\\rtf1\\ansi{\\colortbl ;\\red0\\green128\\blue0;\\red200\\green0\\blue0;}";

struct RtfCase {
    const char* Name;
    std::wstring Text;
    Spans Marks;
    std::string Body;  // between the start and the closing brace
};

const RtfCase kRtfCases[] = {
    {"plain ASCII", L"MD5: ab", {}, "MD5: ab"},
    {"the reader's own characters", L"a\\b{c}d", {}, "a\\\\b\\{c\\}d"},
    {"a forged group stays text", L"}{\\cf2 x}", {}, "\\}\\{\\\\cf2 x\\}"},
    {"every line break is a paragraph",
     L"a\r\nb\rc\nd\n\re",
     {},
     "a\\par b\\par c\\par d\\par \\par e"},
    {"tab and control characters", L"a\tb\x01", {}, "a\\tab b\\u1?"},
    {"Chinese, above 0x7FFF as a negative number", L"好验", {}, "\\u22909?\\u-25972?"},
    {"a surrogate pair is two units", L"\U0001F600", {}, "\\u-10179?\\u-8704?"},
    {"match", L"x\r\nok\r\n", {{3, 2, TTextMark::Match}}, "x\\par {\\cf1 ok}\\par "},
    {"alarm and bold",
     L"ab\r\ncd",
     {{0, 2, TTextMark::Alarm}, {4, 2, TTextMark::Bold}},
     "{\\cf2 ab}\\par {\\b cd}"},
    {"mark inside a line", L"abcd", {{1, 2, TTextMark::Match}}, "a{\\cf1 bc}d"},
};

TEST(CheckViewMarksTest, RichTextCarriesTheMarksAndEscapesEverythingElse) {
    for (const RtfCase& c : kRtfCases) {
        SCOPED_TRACE(c.Name);
        const std::string rtf = MarkedTextRtf(c.Text, c.Marks);
        EXPECT_EQ(rtf, kRtfStart + c.Body + "}");
        for (const char ch : rtf) {
            EXPECT_TRUE(ch >= 0x20 && ch < 0x7F) << static_cast<int>(ch);
        }
    }
}

}  // namespace
