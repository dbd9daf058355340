// Checks run by the hash job: the verdict blocks, the summary, the options
// the job sees, cancellation, and lists that cannot be read.

#include <gtest/gtest.h>

#include <cerrno>
#include <cwctype>
#include <filesystem>
#include <fstream>

#include "ChecksumVerify.h"
#include "JobFakes.h"
#include "ReportBlock.h"
#include "Utf8Text.h"

namespace {

const std::wstring kGood = L"C:\\l\\good.bin";
const std::wstring kChanged = L"C:\\l\\子 目录\\changed.bin";
const std::wstring kMissing = L"C:\\l\\missing.bin";

std::wstring Lower(std::wstring hex) {
    for (wchar_t& c : hex) c = static_cast<wchar_t>(std::towlower(c));
    return hex;
}

class VerifyRun : public ::testing::Test {
  protected:
    // Runs the job over the plan's paths with the check's window in front
    // of the harness's window.
    void Run(ChecksumVerifyWindow& verify) {
        h.Queue(verify.Paths());
        verify.BeginRun();
        StartHashJob(h.queue, verify, h.ui, h.platform, h.pool);
        h.PumpUntilIdle();
    }

    JobHarness h;
};

TEST_F(VerifyRun, OneVerdictPerEntryInListOrderThenTheSummary) {
    h.platform.AddFile(kGood, SizedFile(1000, 1));
    h.platform.AddFile(kChanged, SizedFile(READ_CHUNK_SIZE + 5, 2));
    const Digests good = PatternDigests(1000, 1, false);
    const Digests changed = PatternDigests(READ_CHUNK_SIZE + 5, 2, true);
    const std::wstring listed = L"0123456789abcdef0123456789abcdef";
    VerifyPlan plan;
    plan.Items = {{kGood, ChecksumAlgorithm::MD5, good.md5},
                  {kChanged, ChecksumAlgorithm::MD5, listed},
                  {kMissing, ChecksumAlgorithm::MD5, listed}};
    plan.UnrecognisedCount = 2;
    plan.UnrecognisedLines = {3, 9};
    ChecksumVerifyWindow verify(h.window, plan);
    h.window.options = AllAlgorithms();  // every box checked: the list decides
    h.window.options.Upcase = true;
    h.window.options.Size = true;
    h.window.options.CalcTime = true;
    Run(verify);

    const std::vector<std::wstring> expected{
        L"文件名称: " + kGood + L"\r\nMD5: " + PatternDigests(1000, 1, true).md5 +
            L"\r\n校验结果: 一致\r\n",
        L"文件名称: " + kChanged + L"\r\nMD5: " + changed.md5 +
            L"\r\n校验结果: 不一致 (应为 0123456789ABCDEF0123456789ABCDEF)\r\n",
        FormatFailureBlock(kOpenFailureLabel, kMissing, L"reason 2"),
        L"校验完成：共 3 个文件，1 个一致，1 个不一致，1 个无法读取\r\n"
        L"无法识别的行：2\r\n无法识别的行号：3, 9\r\n",
    };
    ASSERT_EQ(h.window.results.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Narrow(h.window.results[i]), Narrow(expected[i])) << i;
    }
    EXPECT_EQ(h.window.positions.back(), 100);
    EXPECT_EQ(h.window.disableCalls, 1);
    EXPECT_EQ(h.window.enableCalls, 1);

    // Start again: the same check, counted afresh, in lower case now.
    h.window.results.clear();
    h.window.options.Upcase = false;
    {
        FileListGuard guard(h.queue.FileListLock);
        h.queue.FileList.clear();
    }
    Run(verify);
    ASSERT_EQ(h.window.results.size(), 4u);
    EXPECT_EQ(Narrow(h.window.results[0]),
              Narrow(L"文件名称: " + kGood + L"\r\nMD5: " + good.md5 + L"\r\n校验结果: 一致\r\n"));
    EXPECT_NE(h.window.results[1].find(L"(应为 " + listed + L")"), std::wstring::npos);
    EXPECT_EQ(h.window.results[3].rfind(
                  L"校验完成：共 3 个文件，1 个一致，1 个不一致，1 个无法读取\r\n", 0),
              0u);
}

TEST_F(VerifyRun, EachEntryShowsItsOwnAlgorithmOnly) {
    h.platform.AddFile(kGood, SizedFile(77, 4));
    const Digests d = PatternDigests(77, 4, false);
    VerifyPlan plan;
    plan.Items = {{kGood, ChecksumAlgorithm::CRC32, Lower(d.crc32)},
                  {kGood, ChecksumAlgorithm::SHA256, d.sha256},
                  {kGood, ChecksumAlgorithm::SHA1, d.md5}};
    ChecksumVerifyWindow verify(h.window, plan);
    h.window.options = AlgorithmOptions(true, false, false, false);
    Run(verify);
    ASSERT_EQ(h.window.results.size(), 4u);
    EXPECT_EQ(Narrow(h.window.results[0]),
              Narrow(L"文件名称: " + kGood + L"\r\nCRC32: " + d.crc32 + L"\r\n校验结果: 一致\r\n"));
    EXPECT_EQ(Narrow(h.window.results[1]), Narrow(L"文件名称: " + kGood + L"\r\nSHA256: " +
                                                  d.sha256 + L"\r\n校验结果: 一致\r\n"));
    EXPECT_EQ(Narrow(h.window.results[2]),
              Narrow(L"文件名称: " + kGood + L"\r\nSHA1: " + d.sha1 +
                     L"\r\n校验结果: 不一致 (应为 " + d.md5 + L")\r\n"));
    EXPECT_EQ(Narrow(h.window.results[3]),
              Narrow(L"校验完成：共 3 个文件，2 个一致，1 个不一致，0 个无法读取\r\n"));
}

TEST_F(VerifyRun, ReadFailureCountsAsUnreadable) {
    FakeFile failing = SizedFile(READ_CHUNK_SIZE * 2, 1);
    failing.failingRead = 1;
    failing.readError = 5;
    h.platform.AddFile(kGood, failing);
    VerifyPlan plan;
    plan.Items = {{kGood, ChecksumAlgorithm::MD5, std::wstring(32, L'0')}};
    ChecksumVerifyWindow verify(h.window, plan);
    Run(verify);
    ASSERT_EQ(h.window.results.size(), 2u);
    EXPECT_EQ(h.window.results[0], FormatFailureBlock(kReadFailureLabel, kGood, L"reason 5"));
    EXPECT_EQ(Narrow(h.window.results[1]),
              Narrow(L"校验完成：共 1 个文件，0 个一致，0 个不一致，1 个无法读取\r\n"));
}

TEST_F(VerifyRun, CancelledCheckEndsWithoutSummary) {
    h.platform.AddFile(kGood, SizedFile(10, 1));
    h.platform.AddFile(kChanged, SizedFile(READ_CHUNK_SIZE * 3, 2));
    h.platform.afterRead = [this](const std::wstring& path, int read) {
        if (path == kChanged && read == 0) RunningHashTask(h.queue)->Cancel();
    };
    VerifyPlan plan;
    plan.Items = {{kGood, ChecksumAlgorithm::MD5, PatternDigests(10, 1, false).md5},
                  {kChanged, ChecksumAlgorithm::MD5, std::wstring(32, L'0')},
                  {kMissing, ChecksumAlgorithm::MD5, std::wstring(32, L'0')}};
    ChecksumVerifyWindow verify(h.window, plan);
    Run(verify);
    ASSERT_EQ(h.window.results.size(), 1u);
    EXPECT_NE(h.window.results[0].find(L"校验结果: 一致"), std::wstring::npos);
    EXPECT_EQ(h.window.enableCalls, 1);
}

TEST_F(VerifyRun, ListWithoutEntriesOrUnreadableListShowsOneBlock) {
    VerifyPlan empty;
    empty.UnrecognisedCount = 1;
    empty.UnrecognisedLines = {1};
    ChecksumVerifyWindow verifyEmpty(h.window, empty);
    Run(verifyEmpty);
    ASSERT_EQ(h.window.results.size(), 1u);
    EXPECT_EQ(Narrow(h.window.results[0]),
              Narrow(L"校验完成：共 0 个文件，0 个一致，0 个不一致，0 个无法读取\r\n"
                     L"无法识别的行：1\r\n无法识别的行号：1\r\n"));

    h.window.results.clear();
    VerifyPlan failed;
    failed.FailureBlock = FormatFailureBlock(kOpenFailureLabel, L"C:\\l.md5", L"reason 2");
    ChecksumVerifyWindow verifyFailed(h.window, failed);
    Run(verifyFailed);
    ASSERT_EQ(h.window.results.size(), 1u);
    EXPECT_EQ(h.window.results[0], failed.FailureBlock);
    EXPECT_EQ(h.window.enableCalls, 2) << "the controls end as after any job";
}

// Entries that lead to a device or to another computer are not opened: each
// has its block in the list's place and counts as unreadable.
TEST_F(VerifyRun, EntriesNotOpenedKeepTheirPlaceAndCountAsUnreadable) {
    h.platform.AddFile(kGood, SizedFile(1000, 1));
    const std::wstring md5 = PatternDigests(1000, 1, false).md5;
    const std::wstring port = L"C:\\l\\COM1.txt";
    const std::wstring share = L"\\\\srv\\s\\a.bin";
    const std::wstring pipe = L"\\\\.\\pipe\\x";
    VerifyPlan plan;
    plan.Items = {{port, ChecksumAlgorithm::MD5, md5, kDeviceEntryReason},
                  {kGood, ChecksumAlgorithm::MD5, md5, {}},
                  {share, ChecksumAlgorithm::MD5, md5, kNetworkEntryReason},
                  {kMissing, ChecksumAlgorithm::MD5, md5, {}},
                  {pipe, ChecksumAlgorithm::MD5, md5, kDeviceEntryReason}};
    ChecksumVerifyWindow verify(h.window, plan);
    EXPECT_EQ(verify.Paths(), (std::vector<std::wstring>{kGood, kMissing}));
    Run(verify);

    const std::vector<std::wstring> expected{
        L"未打开：" + port + L"\r\n原因：校验列表中的设备名称不是文件。\r\n",
        L"文件名称: " + kGood + L"\r\nMD5: " + md5 + L"\r\n校验结果: 一致\r\n",
        L"未打开：" + share + L"\r\n原因：本机上的校验列表指向网络路径，为安全起见不自动连接。\r\n",
        FormatFailureBlock(kOpenFailureLabel, kMissing, L"reason 2"),
        L"未打开：" + pipe + L"\r\n原因：校验列表中的设备名称不是文件。\r\n",
        L"校验完成：共 5 个文件，1 个一致，0 个不一致，4 个无法读取\r\n",
    };
    ASSERT_EQ(h.window.results.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Narrow(h.window.results[i]), Narrow(expected[i])) << i;
    }
    EXPECT_EQ(h.log.Count("open:"), 2u);
    EXPECT_EQ(h.log.Count("open:" + Narrow(port)), 0u);
    EXPECT_EQ(h.log.Count("open:" + Narrow(share)), 0u);
    EXPECT_EQ(h.log.Count("open:" + Narrow(pipe)), 0u);
    EXPECT_EQ(h.window.enableCalls, 1);
}

TEST_F(VerifyRun, ListOfEntriesNotOpenedOnlyShowsTheirBlocksAndTheSummary) {
    VerifyPlan plan;
    plan.Items = {
        {L"C:\\l\\NUL", ChecksumAlgorithm::MD5, std::wstring(32, L'0'), kDeviceEntryReason},
        {L"\\\\srv\\s\\x", ChecksumAlgorithm::CRC32, L"00000000", kNetworkEntryReason}};
    ChecksumVerifyWindow verify(h.window, plan);
    EXPECT_TRUE(verify.Paths().empty());
    Run(verify);
    ASSERT_EQ(h.window.results.size(), 3u);
    EXPECT_EQ(h.window.results[0].rfind(L"未打开：C:\\l\\NUL\r\n", 0), 0u);
    EXPECT_EQ(h.window.results[1].rfind(L"未打开：\\\\srv\\s\\x\r\n", 0), 0u);
    EXPECT_EQ(Narrow(h.window.results[2]),
              Narrow(L"校验完成：共 2 个文件，0 个一致，0 个不一致，2 个无法读取\r\n"));
    EXPECT_EQ(h.log.Count("open:"), 0u);
    EXPECT_EQ(h.window.enableCalls, 1);
}

#ifndef _WIN32
// Under Wine each of the job's synchronous calls costs a thread round trip of
// about half a millisecond: the natively built run shows the same logic.
TEST_F(VerifyRun, HundredThousandEntriesEachGetTheirBlock) {
    VerifyPlan plan;
    for (int i = 0; i < 100000; ++i) {
        plan.Items.push_back(
            {L"C:\\l\\" + std::to_wstring(i), ChecksumAlgorithm::CRC32, L"00000000"});
    }
    ChecksumVerifyWindow verify(h.window, plan);
    Run(verify);
    ASSERT_EQ(h.window.results.size(), 100001u);
    EXPECT_EQ(h.window.results[99999],
              FormatFailureBlock(kOpenFailureLabel, L"C:\\l\\99999", L"reason 2"));
    EXPECT_EQ(Narrow(h.window.results.back()),
              Narrow(L"校验完成：共 100000 个文件，0 个一致，0 个不一致，100000 个无法读取\r\n"));
    EXPECT_EQ(h.window.positions.back(), 100);
}
#endif

TEST(VerifySummary, ListsTwentyLineNumbersAtMost) {
    std::vector<int> lines;
    for (int i = 1; i <= 20; ++i) lines.push_back(i * 2);
    const std::wstring text = FormatVerifySummary(5, 5, 0, 0, 31, lines);
    EXPECT_EQ(
        Narrow(text),
        Narrow(L"校验完成：共 5 个文件，5 个一致，0 个不一致，0 个无法读取\r\n无法识别的行：31\r\n"
               L"无法识别的行号：2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, "
               L"34, 36, 38, 40 等\r\n"));
    EXPECT_EQ(FormatVerifySummary(0, 0, 0, 0, 0, {}),
              L"校验完成：共 0 个文件，0 个一致，0 个不一致，0 个无法读取\r\n");
}

// ---- Reading the list file -------------------------------------------------

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr ErrorCode kNotFound = 2;    // ERROR_FILE_NOT_FOUND
constexpr ErrorCode kTooLarge = 223;  // ERROR_FILE_TOO_LARGE
#else
constexpr ErrorCode kNotFound = ENOENT;
constexpr ErrorCode kTooLarge = EFBIG;
#endif

class ListFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("varudodi-lists-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::wstring Write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return Utf8ToWide(path.string());
    }
    static std::wstring NoAnsi(std::string_view) { return L"?"; }

    fs::path dir_;
};

TEST_F(ListFile, ReadsAndResolvesTheEntries) {
    const std::wstring list =
        Write("sums.md5",
              "\xEF\xBB\xBF# list\r\n"
              "900150983cd24fb0d6963f7d28e17f72 *a b.txt\r\n"
              "bad\r\n"
              "SHA1 (../\xE4\xB8\xAD.txt) = a9993e364706816aba3e25717850c26c9cd0d89d\r\n");
    const VerifyPlan plan = LoadVerifyPlan(SystemJobPlatform(), list, NoAnsi);
    EXPECT_TRUE(plan.FailureBlock.empty());
    ASSERT_EQ(plan.Items.size(), 2u);
    std::wstring folder = Utf8ToWide(dir_.string());
    for (wchar_t& c : folder) {
        if (c == L'/') c = L'\\';
    }
    EXPECT_EQ(plan.Items[0].Path, folder + L"\\a b.txt");
    EXPECT_EQ(plan.Items[0].Algorithm, ChecksumAlgorithm::MD5);
    EXPECT_EQ(plan.Items[1].Path, folder.substr(0, folder.rfind(L'\\')) + L"\\中.txt");
    EXPECT_EQ(plan.Items[1].Algorithm, ChecksumAlgorithm::SHA1);
    EXPECT_EQ(plan.UnrecognisedCount, 1);
    EXPECT_EQ(plan.UnrecognisedLines, std::vector<int>{3});
}

TEST_F(ListFile, ListsThatCannotBeReadGiveTheJobsBlocks) {
    JobPlatform& platform = SystemJobPlatform();
    const std::wstring missing = Utf8ToWide((dir_ / "none.md5").string());
    EXPECT_EQ(LoadVerifyPlan(platform, missing, NoAnsi).FailureBlock,
              FormatFailureBlock(kOpenFailureLabel, missing, platform.ErrorReason(kNotFound)));

    // A folder cannot be opened, or (POSIX) opened but not read.
    const std::wstring folder = Utf8ToWide(dir_.string());
    const std::wstring folderBlock = LoadVerifyPlan(platform, folder, NoAnsi).FailureBlock;
    EXPECT_TRUE(folderBlock.rfind(kReadFailureLabel, 0) == 0 ||
                folderBlock.rfind(kOpenFailureLabel, 0) == 0)
        << Narrow(folderBlock);

    // Sparse: no disk space is taken.
    const std::wstring huge = Write("huge.md5", "");
    fs::resize_file(dir_ / "huge.md5", static_cast<std::uintmax_t>(kLargestChecksumList) + 1);
    const VerifyPlan tooLarge = LoadVerifyPlan(platform, huge, NoAnsi);
    EXPECT_TRUE(tooLarge.Items.empty());
    EXPECT_EQ(tooLarge.FailureBlock,
              FormatFailureBlock(kReadFailureLabel, huge, platform.ErrorReason(kTooLarge)));

    const VerifyPlan empty = LoadVerifyPlan(platform, Write("empty.md5", ""), NoAnsi);
    EXPECT_TRUE(empty.FailureBlock.empty());
    EXPECT_TRUE(empty.Items.empty());
    EXPECT_EQ(empty.UnrecognisedCount, 0);
}

// The system's file services, with the list's drive standing for a share
// on another computer when asked.
class MappedDrivePlatform final : public JobPlatform {
  public:
    explicit MappedDrivePlatform(bool networkDrive) : networkDrive_(networkDrive) {}
    ErrorCode OpenFile(const std::wstring& path, std::unique_ptr<JobFile>& file) override {
        return system_.OpenFile(path, file);
    }
    ErrorCode AllocateBuffer(std::size_t size, std::byte*& buffer) override {
        return system_.AllocateBuffer(size, buffer);
    }
    void FreeBuffer(std::byte* buffer) noexcept override { system_.FreeBuffer(buffer); }
    std::uint32_t TickCount() override { return system_.TickCount(); }
    std::wstring ErrorReason(ErrorCode code) override { return system_.ErrorReason(code); }
    bool OnNetworkDrive(const std::wstring&) override { return networkDrive_; }

  private:
    JobPlatform& system_ = SystemJobPlatform();
    bool networkDrive_;
};

TEST_F(ListFile, DevicesAreNeverOpenedAndSharesOnlyFromAListOnTheNetwork) {
    const std::string md5 = "d41d8cd98f00b204e9800998ecf8427e";
    const std::wstring list =
        Write("sums.md5", md5 + "  NUL\n" + md5 + "  \\\\.\\pipe\\x\n" + md5 + "  sub/COM1.txt\n" +
                              md5 + "  //srv/s/a.bin\n" + md5 + "  \\\\?\\UNC\\srv\\s\\b.bin\n" +
                              md5 + "  \\\\?\\GLOBALROOT\\Device\\x\n" + md5 + "  plain.bin\n");
    struct Expected {
        const wchar_t* localReason;
        const wchar_t* networkReason;
    };
    const Expected expected[] = {
        {kDeviceEntryReason, kDeviceEntryReason},
        {kDeviceEntryReason, kDeviceEntryReason},
        {kDeviceEntryReason, kDeviceEntryReason},
        {kNetworkEntryReason, L""},
        {kNetworkEntryReason, L""},
        {kDeviceEntryReason, kDeviceEntryReason},
        {L"", L""},
    };
    MappedDrivePlatform local(false);
    MappedDrivePlatform mapped(true);
    const VerifyPlan onLocal = LoadVerifyPlan(local, list, NoAnsi);
    const VerifyPlan onNetwork = LoadVerifyPlan(mapped, list, NoAnsi);
    ASSERT_EQ(onLocal.Items.size(), std::size(expected));
    ASSERT_EQ(onNetwork.Items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(onLocal.Items[i].NotOpenedReason, expected[i].localReason) << i;
        EXPECT_EQ(onNetwork.Items[i].NotOpenedReason, expected[i].networkReason) << i;
    }
}

}  // namespace
