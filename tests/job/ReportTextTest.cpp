// The texts of the error blocks and the time line, with the system's reasons.
#include <gtest/gtest.h>

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

TEST(ReportTextTest, TheJobReportsTheSystemsReason) {
    EXPECT_EQ(SystemJobPlatform().ErrorReason(2), SystemErrorReason(2));
}

}  // namespace
