// The job over real files through the system's services: digests that
// agree with the reference tools, and the system's reasons for failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Crc32Routine.h"
#include "JobFakes.h"
#include "ReportFields.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

struct Reference {
    const char* name;
    std::string content;
    const wchar_t* md5;
    const wchar_t* sha1;
    const wchar_t* sha256;
    const wchar_t* crc32;
};

class HashJobFilesTest : public ::testing::Test {
  protected:
    HashJobFilesTest() {
        // Tests run in processes of their own at once, where an address
        // may repeat: the folder's name is random.
        folder =
            fs::temp_directory_path() / ("varudodi-job-" + std::to_string(std::random_device{}()) +
                                         "-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        job.platformInUse = &SystemJobPlatform();
        job.window.options = AllAlgorithms();
    }
    ~HashJobFilesTest() override { fs::remove_all(folder); }

    std::wstring Write(const std::string& name, const std::string& content) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
        return path.wstring();
    }

    // Queues the files, runs the job and expects one block per file with
    // the reference digests.
    void ExpectReferenceDigests(const std::vector<Reference>& references);

    fs::path folder;
    JobHarness job;
};

void HashJobFilesTest::ExpectReferenceDigests(const std::vector<Reference>& references) {
    std::vector<std::wstring> expected;
    for (const Reference& r : references) {
        const std::wstring path = Write(r.name, r.content);
        job.Queue({path});
        expected.push_back(FormatFileNameLine(path, true) + L"MD5: " + r.md5 + L"\r\nSHA1: " +
                           r.sha1 + L"\r\nSHA256: " + r.sha256 + L"\r\nCRC32: " + r.crc32 +
                           L"\r\n");
    }
    job.RunJob();
    EXPECT_EQ(job.window.results, expected);
}

std::string Pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 31 + (i >> 16)) & 0xFF);
    }
    return data;
}

TEST_F(HashJobFilesTest, DigestsAgreeWithTheReferenceTools) {
    // Values from md5sum, sha1sum, sha256sum and rhash --crc32.
    const std::vector<Reference> references = {
        {"abc.txt", "abc", L"900150983cd24fb0d6963f7d28e17f72",
         L"a9993e364706816aba3e25717850c26c9cd0d89d",
         L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", L"352441c2"},
        {"empty.txt", "", L"d41d8cd98f00b204e9800998ecf8427e",
         L"da39a3ee5e6b4b0d3255bfef95601890afd80709",
         L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", L"00000000"},
        {"million-a.txt", std::string(1000000, 'a'), L"7707d6ae4e027c70eea2a935c2296f21",
         L"34aa973cd4c4daa4f61eeb2bdbad27316534016f",
         L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", L"dc25bfbc"},
        {"three-chunks.bin", Pattern(2 * std::size_t{READ_CHUNK_SIZE} + 12345),
         L"6a5cfaa4e39b5152bc4b898528f8909b", L"a02e8b88aa4f94d7d6697766018a98366bf1066b",
         L"c2d752815fcc4229c5a8fb48eee6a91b3e3abbb43a7cfe70e052e37e13216bea", L"475bb9d7"},
    };
    ExpectReferenceDigests(references);
}

std::vector<Reference> ReferencesAroundTheChunks() {
    // Pattern files; values from md5sum, sha1sum, sha256sum and rhash --crc32.
    // The sizes sit at the edges of the read requests, of the small chunk
    // hashed where it is read, and of the ring of chunks read ahead.
    constexpr std::size_t kChunk = READ_CHUNK_SIZE;
    static_assert(kRingChunks == 4, "the last size goes one ring and 3 bytes far");
    return {
        {"0.bin", Pattern(0), L"d41d8cd98f00b204e9800998ecf8427e",
         L"da39a3ee5e6b4b0d3255bfef95601890afd80709",
         L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", L"00000000"},
        {"1.bin", Pattern(1), L"93b885adfe0da089cdf634904fd59f71",
         L"5ba93c9db0cff93f52b521d7420e43f6eda2784f",
         L"6e340b9cffb37a989ca544e6bb780a2c78901d3fb33738768511a30617afa01d", L"d202ef8d"},
        {"65536.bin", Pattern(65536), L"a5a5dfa7d29736aecbf57924186dfcc8",
         L"c385e8900d89c2707831d19dcbd83c17cd7f545e",
         L"58f414c587d599b6fa1678097a7459ce669c6e0fe894d81be9c7ed2879bd6bcb", L"29142303"},
        {"65537.bin", Pattern(65537), L"9880bc8c8f439a46186d08528ea062a2",
         L"8baac88f79af542005159fa0c9dff25732cda268",
         L"c467a464422f2210112c5dc41a45692d29a2494bc08d8fbca654acaf090c9a95", L"3c259a82"},
        {"chunk-1.bin", Pattern(kChunk - 1), L"53ab1558f8a0d3d489398ae2f0166903",
         L"54297dbd4dea45c9fd69361eb67a428b79056843",
         L"de6484e76a71747c34f452c48c1f2e817b46139c19e6aa7404dcc68e578335d0", L"f1548de8"},
        {"chunk.bin", Pattern(kChunk), L"8b5e7ea543b059f7e5df0aaf2db32588",
         L"df50e603addf57b3402b02df89d4acf4c2a29b7e",
         L"01b5570376340834b4c22b0bfcffeb858410e25d6fdc63505cbca81f595638f5", L"0d9354c3"},
        {"chunk+1.bin", Pattern(kChunk + 1), L"e1df19ee692d9905947a6c5e58807b62",
         L"8f8ddfdaf1994ae4af0a3f4878126a880b864967",
         L"c57e8f76d3c8b6aa45698d53d127820283ad2710fb5c85422d13654adab8350f", L"9abd4a92"},
        {"ring+3.bin", Pattern(4 * kChunk + 3), L"9734e2afb4215d3303e5dc234694bd15",
         L"0e5eb0c36f8e776750a088e50a521bee9dbd68b3",
         L"9993d1e5f6429c72e2e402fd5af0e474547cbf5f75a62c83d789b243ccc29aaa", L"82c829ea"},
    };
}

TEST_F(HashJobFilesTest, SizesAroundTheChunksAndTheRingAgreeWithTheReferenceTools) {
    ExpectReferenceDigests(ReferencesAroundTheChunks());
}

// The CRC32 pieces the job hashes on the pool's threads, by each routine the
// processor runs: the table routine (the fast ones forced off) and each
// folding routine (forced on).
class HashJobCrc32RoutineTest : public HashJobFilesTest,
                                public ::testing::WithParamInterface<Crc32Routine> {};

TEST_P(HashJobCrc32RoutineTest, DigestsAgreeWithTheReferenceTools) {
    const ForcedCrc32Routine routine(GetParam());
    if (!routine.Forced()) {
        GTEST_SKIP() << "the processor lacks " << Crc32RoutineName(GetParam());
    }
    ExpectReferenceDigests(ReferencesAroundTheChunks());
}

INSTANTIATE_TEST_SUITE_P(EveryRoutine, HashJobCrc32RoutineTest, ::testing::ValuesIn(kCrc32Routines),
                         [](const ::testing::TestParamInfo<Crc32Routine>& param) {
                             return std::string(Crc32RoutineName(param.param));
                         });

// The version line looks into the file through the job's own handle: the
// content must still be read, and hashed, from its first byte.
TEST_F(HashJobFilesTest, TheVersionLookLeavesTheReadsAtTheStart) {
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"image-head.exe", "MZ" + Pattern(300)},
        {"compressed-head.ex_", "SZDD" + Pattern(10)},
        {"text.txt", "plain text"},
        {"one-byte.bin", "x"},
        {"empty.bin", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = Write(c.name, c.content);
        std::unique_ptr<JobFile> file;
        ASSERT_EQ(SystemJobPlatform().OpenFile(path, file), 0u);
        EXPECT_EQ(FormatFileVersionLine(path, *file), L"") << "none of them has a version";
        std::string head(2, '\0');
        EXPECT_EQ(file->ReadAt(0, head.data(), 2), c.content.size() >= 2);
        std::string read(c.content.size() + 8, '\0');
        std::uint32_t got = 0;
        ASSERT_EQ(file->Read(read.data(), static_cast<std::uint32_t>(read.size()), got), 0u);
        read.resize(got);
        EXPECT_EQ(read, c.content);
    }
}

// Reads in order give the file's bytes in order, whatever their sizes and
// the looks at an offset between them: reads of whole chunks are followed by
// the next chunk read ahead (on Windows), which a read of another size or a
// look must not disturb.
TEST_F(HashJobFilesTest, ReadsOfAnySizeAndLooksBetweenThemGiveTheBytesInOrder) {
    constexpr std::uint32_t kWhole = READ_CHUNK_SIZE;
    // Random bytes: a read from the wrong offset must not give the same.
    std::string content(4 * std::size_t{kWhole} + 5000, '\0');
    std::mt19937 random(11);
    for (char& byte : content) {
        byte = static_cast<char>(random());
    }
    const std::wstring path = Write("reads.bin", content);
    std::unique_ptr<JobFile> file;
    ASSERT_EQ(SystemJobPlatform().OpenFile(path, file), 0u);
    constexpr std::uint32_t kLook = 0;  // a step that looks at offset 3
    const std::uint32_t steps[] = {kWhole, kWhole, 1000, 1000,  kLook,  1000,   kLook,
                                   kLook,  kWhole, 3000, kLook, kWhole, kWhole, kWhole};
    std::string read;
    for (const std::uint32_t step : steps) {
        SCOPED_TRACE("after " + std::to_string(read.size()) + " bytes, step " +
                     std::to_string(step));
        if (step == kLook) {
            char look[2] = {};
            ASSERT_TRUE(file->ReadAt(3, look, 2));
            EXPECT_EQ(std::string(look, 2), content.substr(3, 2));
            continue;
        }
        std::string chunk(step, '\0');
        std::uint32_t got = 0;
        ASSERT_EQ(file->Read(chunk.data(), step, got), 0u);
        EXPECT_EQ(got, std::min<std::size_t>(step, content.size() - read.size()));
        read += chunk.substr(0, got);
        ASSERT_EQ(read, content.substr(0, read.size()));
    }
    EXPECT_EQ(read, content);
}

TEST_F(HashJobFilesTest, DigestsOfAnImageHeadWithEveryDetailLineAgreeWithTheReferenceTools) {
    JobOptions all = AllAlgorithms();
    all.Ver = all.Size = all.Time = true;
    job.window.options = all;
    const std::wstring path = Write("head.exe", "MZabc");
    job.Queue({path});
    job.RunJob();
    ASSERT_EQ(job.window.results.size(), 1u);
    // Values from md5sum, sha1sum, sha256sum and rhash --crc32.
    const std::wstring digests =
        L"MD5: 348f438d9874b4b81153ac1d98edfc2a\r\n"
        L"SHA1: d3b2a5018575b9ee86286c82abc0496684c80fa4\r\n"
        L"SHA256: b3c33302a88a0806b0ab0ba3be9dc102e6026a7bb82e11d1811c873d8aa64219\r\n"
        L"CRC32: 08941cf3\r\n";
    const std::wstring& block = job.window.results[0];
    ASSERT_GE(block.size(), digests.size());
    EXPECT_EQ(block.substr(block.size() - digests.size()), digests);
}

TEST_F(HashJobFilesTest, AMissingFileGetsTheSystemsReason) {
    const std::wstring path = (folder / "missing.bin").wstring();
    job.Queue({path});
    job.RunJob();
    ASSERT_EQ(job.window.results.size(), 1u);
    const std::wstring reason = SystemJobPlatform().ErrorReason(2);  // not found
    EXPECT_EQ(job.window.results[0], L"打开失败：" + path + L"\r\n错误原因：" + reason + L"\r\n");
    EXPECT_EQ(reason.find(L"错误代码"), std::wstring::npos);
}

TEST_F(HashJobFilesTest, AFolderIsNoFileToHash) {
    job.Queue({folder.wstring()});
    job.RunJob();
    ASSERT_EQ(job.window.results.size(), 1u);
    EXPECT_EQ(job.window.results[0].rfind(L"打开失败：" + folder.wstring() + L"\r\n错误原因：", 0),
              0u);
}

#ifdef _WIN32
TEST_F(HashJobFilesTest, AFileHeldOpenWithoutReadSharingGivesTheSharingViolationReason) {
    const std::wstring path = Write("held.bin", "content");
    for (DWORD heldShare : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
        // Held for writing: with or without read sharing, the job's open,
        // which shares read access only, is refused.
        HANDLE held = ::CreateFileW(path.c_str(), GENERIC_WRITE, heldShare, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        JobHarness sharing;
        sharing.platformInUse = &SystemJobPlatform();
        sharing.window.options = AllAlgorithms();
        sharing.Queue({path});
        sharing.RunJob();
        ::CloseHandle(held);
        const std::wstring reason = SystemJobPlatform().ErrorReason(ERROR_SHARING_VIOLATION);
        EXPECT_EQ(reason.find(L"错误代码"), std::wstring::npos);
        ASSERT_EQ(sharing.window.results.size(), 1u);
        EXPECT_EQ(sharing.window.results[0],
                  L"打开失败：" + path + L"\r\n错误原因：" + reason + L"\r\n");
    }
}
#endif

}  // namespace
