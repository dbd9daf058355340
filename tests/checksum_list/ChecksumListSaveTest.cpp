// Lists written from the result view's blocks.

#include <gtest/gtest.h>

#include "ChecksumListSave.h"

namespace {

const std::wstring kMd5 = L"900150983CD24FB0D6963F7D28E17F72";
const std::wstring kCrc = L"352441C2";

std::wstring Block(const std::wstring& name, const std::wstring& lines) {
    return L"文件名称: " + name + L"\r" + lines + L"\r";
}

TEST(ChecksumListSave, TypesAfterThePlainTextOnes) {
    EXPECT_FALSE(ListAlgorithmOfSaveType(1));
    EXPECT_FALSE(ListAlgorithmOfSaveType(2));
    EXPECT_EQ(ListAlgorithmOfSaveType(3), ChecksumAlgorithm::MD5);
    EXPECT_EQ(ListAlgorithmOfSaveType(4), ChecksumAlgorithm::SHA1);
    EXPECT_EQ(ListAlgorithmOfSaveType(5), ChecksumAlgorithm::SHA256);
    EXPECT_EQ(ListAlgorithmOfSaveType(6), ChecksumAlgorithm::CRC32);
    EXPECT_FALSE(ListAlgorithmOfSaveType(7));
    EXPECT_EQ(std::wstring(kSaveDialogFilter),
              L"文体文件|*.txt|所有文件|*.*|MD5 哈希文件|*.md5|SHA1 哈希文件|*.sha1|"
              L"SHA256 哈希文件|*.sha256|SFV 文件|*.sfv");
}

TEST(ChecksumListSave, OneEntryPerBlockWithTheAlgorithm) {
    const std::wstring view =
        Block(L"C:\\d\\a b.txt", L"文件大小: 3 字节\rMD5: " + kMd5 + L"\rCRC32: " + kCrc) + L"\r" +
        L"打开失败：C:\\d\\gone\r错误原因：找不到文件\r\r" +
        Block(L"C:\\d\\sub\\中文.txt", L"CRC32: " + kCrc) + L"\r" +
        Block(L"name only.txt", L"MD5: " + kMd5) + L"\r" +
        Block(L"E:\\elsewhere.txt", L"MD5: " + kMd5 + L"\r校验结果: 一致") + L"\r" +
        L"取消操作！\r\r";
    const SavedChecksumList md5 =
        ChecksumListFromReport(view, ChecksumAlgorithm::MD5, L"C:\\d\\l.md5");
    EXPECT_EQ(md5.Entries, 3);
    const std::string hex = "900150983CD24FB0D6963F7D28E17F72";
    EXPECT_EQ(md5.Bytes,
              hex + " *a b.txt\n" + hex + " *name only.txt\n" + hex + " *E:\\elsewhere.txt\n");

    const SavedChecksumList crc =
        ChecksumListFromReport(view, ChecksumAlgorithm::CRC32, L"C:\\d\\l.sfv");
    EXPECT_EQ(crc.Entries, 2);
    EXPECT_EQ(crc.Bytes, "a b.txt 352441C2\nsub/\xE4\xB8\xAD\xE6\x96\x87.txt 352441C2\n");

    EXPECT_EQ(ChecksumListFromReport(view, ChecksumAlgorithm::SHA1, L"C:\\d\\l.sha1").Entries, 0);
}

TEST(ChecksumListSave, BlocksWithoutTheirBreaksAndBrokenLines) {
    // A user may delete the empty line between blocks, or part of a digest.
    const std::wstring view = L"文件名称: a\nMD5: " + kMd5 + L"\n文件名称: b\nMD5: " + kMd5 +
                              L"\r\nMD5: " + kMd5 + L"\n\n文件名称: c\nMD5: 9001\n\nMD5: " + kMd5 +
                              L"\n";
    const SavedChecksumList list =
        ChecksumListFromReport(view, ChecksumAlgorithm::MD5, L"C:\\l.md5");
    EXPECT_EQ(list.Entries, 2);
    const std::string hex = "900150983CD24FB0D6963F7D28E17F72";
    EXPECT_EQ(list.Bytes, hex + " *a\n" + hex + " *b\n");
}

TEST(ChecksumListSave, MessageNamesTheAlgorithm) {
    EXPECT_EQ(NoDigestsToSaveMessage(ChecksumAlgorithm::SHA256),
              L"结果中没有 SHA256 值，未保存文件。");
}

}  // namespace
