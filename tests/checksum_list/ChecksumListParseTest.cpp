// Reading checksum lists: each line form, escapes, malformed lines, the
// algorithm rules, encodings and line ends.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChecksumList.h"
#include "ChecksumListPaths.h"
#include "Utf8Text.h"

namespace {

const std::wstring kMd5 = L"900150983cd24fb0d6963f7d28e17f72";
const std::wstring kMd5Upper = L"900150983CD24FB0D6963F7D28E17F72";
const std::wstring kSha1 = L"a9993e364706816aba3e25717850c26c9cd0d89d";
const std::wstring kSha256 = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::wstring kCrc = L"352441c2";
const std::wstring kEscaped = L"\\";  // the mark of an escaped name

struct LineCase {
    const char* what;
    std::wstring listName;
    std::wstring line;
    bool entry;
    std::wstring name = {};
    ChecksumAlgorithm algorithm = ChecksumAlgorithm::MD5;
    std::wstring digest = {};
};

class LineTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineTable, ReadsOrRejectsTheLine) {
    const LineCase& c = GetParam();
    SCOPED_TRACE(c.what);
    const ChecksumListContent content = ParseChecksumList(c.line + L"\n", c.listName);
    if (!c.entry) {
        EXPECT_TRUE(content.Entries.empty()) << WideToUtf8(content.Entries.front().Name);
        EXPECT_EQ(content.UnrecognisedCount, 1);
        EXPECT_EQ(content.UnrecognisedLines, std::vector<int>{1});
        return;
    }
    ASSERT_EQ(content.Entries.size(), 1u);
    EXPECT_EQ(content.UnrecognisedCount, 0);
    const ChecksumEntry& entry = content.Entries.front();
    EXPECT_EQ(WideToUtf8(entry.Name), WideToUtf8(c.name));
    EXPECT_EQ(entry.Algorithm, c.algorithm);
    EXPECT_EQ(WideToUtf8(entry.Digest), WideToUtf8(c.digest));
    EXPECT_EQ(entry.Line, 1);
}

using A = ChecksumAlgorithm;

INSTANTIATE_TEST_SUITE_P(
    Gnu, LineTable,
    ::testing::Values(
        LineCase{"text mode", L"sums.txt", kMd5 + L"  a b.txt", true, L"a b.txt", A::MD5, kMd5},
        LineCase{"binary mode, upper case", L"sums.txt", kMd5Upper + L" *a b.txt", true, L"a b.txt",
                 A::MD5, kMd5},
        LineCase{"SHA1 by length", L"SHA1SUMS", kSha1 + L" *中文 名.txt", true, L"中文 名.txt",
                 A::SHA1, kSha1},
        LineCase{"SHA256 by length", L"SHA256SUMS", kSha256 + L"  ../up/x", true, L"../up/x",
                 A::SHA256, kSha256},
        LineCase{"CRC32 by length", L"list", kCrc + L"  x", true, L"x", A::CRC32, kCrc},
        LineCase{"name keeps its spaces", L"l.md5", kMd5 + L"  lead and trail  ", true,
                 L"lead and trail  ", A::MD5, kMd5},
        LineCase{"star inside the name", L"l.md5", kMd5 + L" **x", true, L"*x", A::MD5, kMd5},
        LineCase{"escaped name", L"l.md5", kEscaped + kMd5 + L"  a\\\\b", true, L"a\\b", A::MD5,
                 kMd5},
        LineCase{"unknown escape", L"l.md5", kEscaped + kMd5 + L"  a\\tb", false},
        LineCase{"escape at the end", L"l.md5", kEscaped + kMd5 + L"  ab\\", false},
        LineCase{"31 digits", L"l.txt", kMd5.substr(1) + L"  a", false},
        LineCase{"one blank, as RHash reads it", L"l.txt", kMd5 + L" a", true, L"a", A::MD5, kMd5},
        LineCase{"one blank before a blank name", L"l.txt", kMd5 + L"   a", true, L" a", A::MD5,
                 kMd5},
        LineCase{"blanks before the digest", L"l.txt", L"  \t" + kMd5 + L"  a b", true, L"a b",
                 A::MD5, kMd5},
        LineCase{"blanks before the escape mark", L"l.md5", L"  " + kEscaped + kMd5 + L"  a\\\\b",
                 true, L"a\\b", A::MD5, kMd5},
        LineCase{"tab, binary mode", L"l.txt", kMd5 + L"\t*a", true, L"a", A::MD5, kMd5},
        LineCase{"tab, text mode", L"l.txt", kMd5 + L"\t a", true, L"a", A::MD5, kMd5},
        LineCase{"tab, no mode", L"l.txt", kMd5 + L"\ta", true, L"a", A::MD5, kMd5},
        LineCase{"two tabs", L"l.txt", kMd5 + L"\t\ta", false},
        LineCase{"blank inside the digest", L"l.txt", L"9001 " + kMd5.substr(4) + L"  a", false},
        LineCase{"no name", L"l.txt", kMd5 + L"  ", false},
        LineCase{"NUL in the name", L"l.txt", kMd5 + L"  a" + std::wstring(1, L'\0') + L"b", false},
        LineCase{"name too long", L"l.txt",
                 kMd5 + L"  " + std::wstring(kLongestEntryName + 1, L'n'), false},
        LineCase{"longest name", L"l.txt", kMd5 + L"  " + std::wstring(kLongestEntryName, L'n'),
                 true, std::wstring(kLongestEntryName, L'n'), A::MD5, kMd5},
        LineCase{"digest against the extension", L"l.md5", kSha256 + L"  a", false},
        LineCase{"extension in upper case", L"L.SHA1", kSha1 + L"  a", true, L"a", A::SHA1, kSha1}),
    [](const auto& param) { return "Line" + std::to_string(param.index); });

INSTANTIATE_TEST_SUITE_P(
    Tagged, LineTable,
    ::testing::Values(
        LineCase{"MD5", L"l.txt", L"MD5 (a b.txt) = " + kMd5, true, L"a b.txt", A::MD5, kMd5},
        LineCase{"parentheses in the name", L"l.txt", L"SHA256 (x (1).txt) = " + kSha256, true,
                 L"x (1).txt", A::SHA256, kSha256},
        LineCase{"padded tag", L"l.txt", L"SHA1  (a) = " + kSha1, true, L"a", A::SHA1, kSha1},
        LineCase{"dashed tag", L"l.txt", L"SHA-256 (a) = " + kSha256, true, L"a", A::SHA256,
                 kSha256},
        LineCase{"without spaces", L"l.txt", L"MD5(a)= " + kMd5Upper, true, L"a", A::MD5, kMd5},
        LineCase{"CRC32", L"l.txt", L"CRC32 (a) = " + kCrc, true, L"a", A::CRC32, kCrc},
        LineCase{"tag before extension", L"l.md5", L"SHA1 (a) = " + kSha1, true, L"a", A::SHA1,
                 kSha1},
        LineCase{"escaped", L"l.txt", L"\\MD5 (a\\\\b) = " + kMd5, true, L"a\\b", A::MD5, kMd5},
        LineCase{"digest of another length", L"l.txt", L"MD5 (a) = " + kCrc, false},
        LineCase{"no equals sign", L"l.txt", L"MD5 (a) " + kMd5, false},
        LineCase{"no closing parenthesis", L"l.txt", L"MD5 (a = " + kMd5, false},
        LineCase{"empty name", L"l.txt", L"MD5 () = " + kMd5, false}),
    [](const auto& param) { return "Line" + std::to_string(param.index); });

INSTANTIATE_TEST_SUITE_P(
    Sfv, LineTable,
    ::testing::Values(
        LineCase{"name with spaces", L"l.sfv", L"a b.txt 352441C2", true, L"a b.txt", A::CRC32,
                 kCrc},
        LineCase{"tab and Chinese", L"l.sfv", L"中文.txt\t352441c2", true, L"中文.txt", A::CRC32,
                 kCrc},
        LineCase{"trailing blanks", L"l.sfv", L"a 352441c2  ", true, L"a", A::CRC32, kCrc},
        LineCase{"name like a digest", L"l.sfv", L"deadbeef 352441c2", true, L"deadbeef", A::CRC32,
                 kCrc},
        LineCase{"GNU line in an SFV list", L"l.sfv", kCrc + L"  a", true, L"a", A::CRC32, kCrc},
        LineCase{"without extension", L"list", L"a 352441c2", true, L"a", A::CRC32, kCrc},
        LineCase{"seven digits", L"l.sfv", L"a 352441c", false},
        LineCase{"no name", L"list", L"352441c2", false},
        LineCase{"in an MD5 list", L"l.md5", L"a 352441c2", false},
        LineCase{"not hex", L"l.sfv", L"a 352441cg", false},
        LineCase{"name like a tagged line", L"l.sfv", L"MD5 (1).txt CE89DBA3", true, L"MD5 (1).txt",
                 A::CRC32, L"ce89dba3"},
        LineCase{"tagged line in an SFV list", L"l.sfv", L"CRC32 (a) = " + kCrc, true, L"a",
                 A::CRC32, kCrc},
        LineCase{"blanks before the name", L"l.sfv", L"  a b 352441c2", true, L"a b", A::CRC32,
                 kCrc},
        LineCase{"name in the current folder", L"l.sfv", L"./;a 352441c2", true, L"./;a", A::CRC32,
                 kCrc}),
    [](const auto& param) { return "Line" + std::to_string(param.index); });

// No file name holds a control character or a line break: a name that
// does, as it stands or once unescaped, would put lines of the list's own
// making into the report.
INSTANTIATE_TEST_SUITE_P(
    BreaksAndControls, LineTable,
    ::testing::Values(
        LineCase{"CR in a GNU name", L"l.md5",
                 kEscaped + kMd5 + L"  x\r文件名称: D:/secret/plan.docx\rMD5: " + kMd5 +
                     L"\r校验结果: 一致",
                 false},
        LineCase{"escaped line break", L"l.md5", kEscaped + kMd5 + L"  a\\nb", false},
        LineCase{"escaped CR", L"l.md5", kEscaped + kMd5 + L"  a\\rb", false},
        LineCase{"escaped line break, tagged", L"l.txt", L"\\MD5 (a\\nb) = " + kMd5, false},
        LineCase{"CR in a tagged name", L"l.txt", L"MD5 (a\rb) = " + kMd5, false},
        LineCase{"CR in an SFV name", L"l.sfv", L"a\rb 352441c2", false},
        LineCase{"tab inside a name", L"l.md5", kMd5 + L"  a\tb", false},
        LineCase{"escape character", L"l.md5", kMd5 + L"  a\x1B[2Jb", false},
        LineCase{"unit separator", L"l.md5", kMd5 + L"  a\x1F", false},
        LineCase{"Unicode line separator", L"l.md5", kMd5 + L"  a\u2028b", false},
        LineCase{"Unicode paragraph separator", L"l.sfv", L"a\u2029b 352441c2", false},
        LineCase{"next line", L"l.md5", kMd5 + L"  a\u0085b", false},
        LineCase{"blank is no control", L"l.md5", kMd5 + L"  a \u3000b", true, L"a \u3000b", A::MD5,
                 kMd5}),
    [](const auto& param) { return "Line" + std::to_string(param.index); });

TEST(ChecksumListLines, ListWithCarriageReturnsOnlyGivesNoEntry) {
    // Old Mac line ends: one line whose name would hold the others.
    const std::wstring text = kMd5 + L"  a\r" + kMd5 + L"  b\r" + kMd5 + L"  c\r";
    const ChecksumListContent content = ParseChecksumList(text, L"x.md5");
    EXPECT_TRUE(content.Entries.empty());
    EXPECT_EQ(content.UnrecognisedCount, 1);
}

// A list of one bare digest stands for the file named like the list.
TEST(ChecksumListLines, BareDigestNamesTheFileBesideTheList) {
    struct Case {
        const char* what;
        std::wstring listPath;
        std::wstring text;
        std::size_t entries;
        std::wstring name = {};
        ChecksumAlgorithm algorithm = ChecksumAlgorithm::MD5;
    };
    const Case cases[] = {
        {"SHA256 of a download", L"D:\\dl\\disc.iso.sha256", kSha256 + L"\r\n", 1, L"disc.iso",
         A::SHA256},
        {"upper case, blanks, comment", L"D:/dl/a.b.MD5", L"# md5\n  " + kMd5Upper + L" \n", 1,
         L"a.b", A::MD5},
        {"SHA1", L"x.sha1", kSha1, 1, L"x", A::SHA1},
        {"SFV", L"x.zip.sfv", kCrc + L"\n", 1, L"x.zip", A::CRC32},
        {"digest of another length", L"x.iso.sha256", kMd5, 0},
        {"list of no known kind", L"x.iso.txt", kMd5, 0},
        {"two bare digests", L"x.iso.md5", kMd5 + L"\n" + kMd5, 0},
        {"bare digest beside an entry", L"x.iso.md5", kMd5 + L"  a\n" + kMd5, 1, L"a", A::MD5},
        {"list without a name of its own", L"D:\\dl\\.md5", kMd5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ChecksumListContent content = ParseChecksumList(c.text, c.listPath);
        ASSERT_EQ(content.Entries.size(), c.entries);
        if (c.entries == 0) {
            EXPECT_GT(content.UnrecognisedCount, 0);
            continue;
        }
        EXPECT_EQ(WideToUtf8(content.Entries[0].Name), WideToUtf8(c.name));
        EXPECT_EQ(content.Entries[0].Algorithm, c.algorithm);
    }
    const ChecksumListContent bare = ParseChecksumList(L"\n" + kMd5Upper, L"y.md5");
    ASSERT_EQ(bare.Entries.size(), 1u);
    EXPECT_EQ(bare.Entries[0].Digest, kMd5);
    EXPECT_EQ(bare.Entries[0].Line, 2);
    EXPECT_EQ(bare.UnrecognisedCount, 0);
    EXPECT_TRUE(bare.UnrecognisedLines.empty());
}

TEST(ChecksumListLines, SkipsCommentsAndEmptyLinesAndCountsTheRest) {
    const std::wstring text =
        L"; generated\r\n"
        L"# comment\r\n"
        L"\r\n"
        L"   \t\r\n"
        L"a 352441c2\r\n"
        L"garbage\n"
        L"b 352441C2\n"
        L"more garbage";  // the last line has no break
    const ChecksumListContent content = ParseChecksumList(text, L"x.sfv");
    ASSERT_EQ(content.Entries.size(), 2u);
    EXPECT_EQ(content.Entries[0].Name, L"a");
    EXPECT_EQ(content.Entries[0].Line, 5);
    EXPECT_EQ(content.Entries[1].Name, L"b");
    EXPECT_EQ(content.Entries[1].Line, 7);
    EXPECT_EQ(content.UnrecognisedCount, 2);
    EXPECT_EQ(content.UnrecognisedLines, (std::vector<int>{6, 8}));
}

TEST(ChecksumListLines, ListsTheFirstTwentyUnrecognisedLines) {
    std::wstring text;
    for (int i = 0; i < 25; ++i) text += L"bad line\n";
    const ChecksumListContent content = ParseChecksumList(text, L"x.md5");
    EXPECT_EQ(content.UnrecognisedCount, 25);
    ASSERT_EQ(content.UnrecognisedLines.size(), 20u);
    EXPECT_EQ(content.UnrecognisedLines.front(), 1);
    EXPECT_EQ(content.UnrecognisedLines.back(), 20);
}

TEST(ChecksumListLines, EmptyListAndMegabyteLine) {
    EXPECT_TRUE(ParseChecksumList(L"", L"x.md5").Entries.empty());
    EXPECT_EQ(ParseChecksumList(L"", L"x.md5").UnrecognisedCount, 0);
    const ChecksumListContent huge = ParseChecksumList(
        kMd5 + L"  " + std::wstring(1 << 20, L'x') + L"\n" + kMd5 + L"  ok\n", L"x.md5");
    EXPECT_EQ(huge.UnrecognisedLines, std::vector<int>{1});
    ASSERT_EQ(huge.Entries.size(), 1u);
    EXPECT_EQ(huge.Entries[0].Line, 2);
}

TEST(ChecksumListLines, HundredThousandEntries) {
    std::wstring text;
    for (int i = 0; i < 100000; ++i) text += kMd5 + L" *file" + std::to_wstring(i) + L"\r\n";
    const ChecksumListContent content = ParseChecksumList(text, L"big.md5");
    ASSERT_EQ(content.Entries.size(), 100000u);
    EXPECT_EQ(content.Entries.back().Name, L"file99999");
    EXPECT_EQ(content.Entries.back().Line, 100000);
}

// ---- Encodings ---------------------------------------------------------

std::wstring FakeAnsi(std::string_view bytes) {
    return L"ANSI:" + std::to_wstring(bytes.size());
}

TEST(ChecksumListText, Utf8WithOrWithoutMarkElseTheAnsiCodePage) {
    const std::string utf8 = "\xE4\xB8\xAD 352441c2\n";  // 中
    EXPECT_EQ(DecodeListText(utf8, FakeAnsi), L"中 352441c2\n");
    EXPECT_EQ(DecodeListText("\xEF\xBB\xBF" + utf8, FakeAnsi), L"中 352441c2\n");
    const std::string gbk = "\xD6\xD0 352441c2\n";  // 中 in code page 936
    EXPECT_EQ(DecodeListText(gbk, FakeAnsi), L"ANSI:" + std::to_wstring(gbk.size()));
    EXPECT_EQ(DecodeListText("", FakeAnsi), L"");
}

TEST(ChecksumListText, OnlyWellFormedUtf8CountsAsUtf8) {
    struct Case {
        const char* bytes;
        bool wellFormed;
    };
    const Case cases[] = {
        {"plain", true},
        {"\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},
        {"\xE0\x80\xAF", false},
        {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false},
        {"\xE4\xB8", false},
        {"\x80", false},
        {"\xFF\xFE", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsWellFormedUtf8(c.bytes), c.wellFormed) << c.bytes;
}

TEST(ChecksumListText, ByteOrderMarkLeftInTheTextIsSkipped) {
    const ChecksumListContent content = ParseChecksumList(L"\uFEFFa 352441c2\n", L"x.sfv");
    ASSERT_EQ(content.Entries.size(), 1u);
    EXPECT_EQ(content.Entries[0].Name, L"a");
}

TEST(ChecksumListText, BinaryBytesGiveUnrecognisedLinesOnly) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131) & 0xFF));
    const std::wstring text = DecodeListText(binary, [](std::string_view bytes) {
        std::wstring wide;
        for (const char c : bytes)
            wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return wide;
    });
    const ChecksumListContent content = ParseChecksumList(text, L"x.md5");
    EXPECT_TRUE(content.Entries.empty());
    EXPECT_GT(content.UnrecognisedCount, 0);
}

// ---- Writing -----------------------------------------------------------

TEST(ChecksumListWriting, GnuBinaryFormAndSfv) {
    EXPECT_EQ(FormatChecksumListLine(A::MD5, L"中 a.txt", kMd5),
              WideToUtf8(kMd5) + " *\xE4\xB8\xAD a.txt\n");
    EXPECT_EQ(FormatChecksumListLine(A::SHA256, L"C:\\x\\a", kSha256),
              WideToUtf8(kSha256) + " *C:\\x\\a\n");
    EXPECT_EQ(FormatChecksumListLine(A::CRC32, L"a b", L"352441C2"), "a b 352441C2\n");
    const std::string escapedLine =
        std::string("\\").append(WideToUtf8(kSha1)).append(" *a\\\\b\\nc\n");
    EXPECT_EQ(FormatChecksumListLine(A::SHA1, L"a\\b\nc", kSha1), escapedLine);
}

TEST(ChecksumListWriting, SfvNamesThatReadAsCommentsOrTrimmedGoInTheCurrentFolder) {
    EXPECT_EQ(FormatChecksumListLine(A::CRC32, L";a", L"352441C2"), "./;a 352441C2\n");
    EXPECT_EQ(FormatChecksumListLine(A::CRC32, L"#a", L"352441C2"), "./#a 352441C2\n");
    EXPECT_EQ(FormatChecksumListLine(A::CRC32, L" a", L"352441C2"), "./ a 352441C2\n");
    EXPECT_EQ(FormatChecksumListLine(A::CRC32, L"a;#", L"352441C2"), "a;# 352441C2\n");
    EXPECT_EQ(FormatChecksumListLine(A::CRC32, L"CRC32 (a) =", L"352441C2"),
              "./CRC32 (a) = 352441C2\n");
    // The GNU form has no comments: the name stays as it is.
    EXPECT_EQ(FormatChecksumListLine(A::MD5, L";a", kMd5), WideToUtf8(kMd5) + " *;a\n");
}

TEST(ChecksumListWriting, WrittenLinesReadBack) {
    for (const ChecksumAlgorithmInfo& info : ChecksumAlgorithms()) {
        const std::wstring digest(info.HexDigits, L'e');
        for (const std::wstring name : {L"a b.txt", L"中文/子 名.bin", L"x\\y", L";a", L"#a", L" a",
                                        L"MD5 (1).txt", L"CRC32 (a) ="}) {
            const std::string line = FormatChecksumListLine(info.Algorithm, name, digest);
            const std::wstring listName = std::wstring(L"l.") + info.ListExt;
            const ChecksumListContent content = ParseChecksumList(Utf8ToWide(line), listName);
            ASSERT_EQ(content.Entries.size(), 1u) << line;
            // The same file: "./" names the list's own folder.
            EXPECT_EQ(ResolveEntryPath(L"C:\\l\\" + listName, content.Entries[0].Name),
                      ResolveEntryPath(L"C:\\l\\" + listName, name))
                << line;
            EXPECT_EQ(content.Entries[0].Algorithm, info.Algorithm);
            EXPECT_EQ(content.Entries[0].Digest, digest);
        }
    }
}

}  // namespace
