// Lists exchanged with the GNU coreutils and RHash: lists written from the
// result view pass their checks, and their lists read back as entries with
// the digests the hash contexts compute.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "ChecksumList.h"
#include "ChecksumListPaths.h"
#include "ChecksumListSave.h"
#include "HashContext.h"
#include "Utf8Text.h"

namespace {

namespace fs = std::filesystem;

// Files with spaces and Chinese in their names, one in a subfolder.
const std::vector<std::string> kNames = {"a b.txt", "\xE4\xB8\xAD\xE6\x96\x87 \xE5\x90\x8D.txt",
                                         "sub dir/\xE5\xAD\x90.bin"};

std::wstring DigestOf(const std::string& content, std::uint32_t algId, bool upper) {
    THashContext context;
    HashInit(context, algId);
    HashUpdate(context, content.data(), static_cast<std::int32_t>(content.size()));
    return HashFinal(context, upper);
}

bool ToolAvailable(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class ListTools : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("varudodi-tools-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "sub dir");
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            contents_[kNames[i]] = std::string(1000 * i + 3, static_cast<char>('a' + i));
            std::ofstream(dir_ / fs::u8path(kNames[i]), std::ios::binary) << contents_[kNames[i]];
        }
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs a command in the test's folder; true when it exits with 0.
    bool Run(const std::string& command) {
        const std::string line =
            "cd '" + dir_.string() + "' && ( " + command + " ) >/dev/null 2>&1";
        return std::system(line.c_str()) == 0;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    // The view's text after a job over the files with the given algorithm,
    // with full paths.
    std::wstring ViewText(const ChecksumAlgorithmInfo& info, bool upper) {
        std::wstring text;
        for (const std::string& name : kNames) {
            text += L"文件名称: " + Utf8ToWide((dir_ / fs::u8path(name)).string()) + L"\r";
            text += std::wstring(info.Name) + L": " + DigestOf(contents_[name], info.AlgId, upper) +
                    L"\r\r";
        }
        return text;
    }

    void ExpectEntriesOfTheFiles(const std::string& listName, ChecksumAlgorithm algorithm) {
        const ChecksumListContent content =
            ParseChecksumList(DecodeListText(Read(listName), [](std::string_view) { return L""; }),
                              Utf8ToWide(listName));
        EXPECT_EQ(content.UnrecognisedCount, 0) << Read(listName);
        ASSERT_EQ(content.Entries.size(), kNames.size()) << Read(listName);
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            const ChecksumEntry& entry = content.Entries[i];
            EXPECT_EQ(WideToUtf8(entry.Name), kNames[i]);
            EXPECT_EQ(entry.Algorithm, algorithm);
            EXPECT_EQ(entry.Digest, DigestOf(contents_[kNames[i]], InfoOf(algorithm).AlgId, false));
        }
    }

    std::string QuotedNames() const {
        std::string names;
        for (const std::string& name : kNames) names += " '" + name + "'";
        return names;
    }

    fs::path dir_;
    std::map<std::string, std::string> contents_;
};

TEST_F(ListTools, SavedListsPassTheToolsChecks) {
    const std::map<ChecksumAlgorithm, std::string> checks = {
        {ChecksumAlgorithm::MD5, "md5sum -c --strict"},
        {ChecksumAlgorithm::SHA1, "sha1sum -c --strict"},
        {ChecksumAlgorithm::SHA256, "sha256sum -c --strict"},
        {ChecksumAlgorithm::CRC32, "rhash --check"},
    };
    if (!ToolAvailable("rhash") || !ToolAvailable("md5sum"))
        GTEST_SKIP() << "coreutils or rhash missing";
    for (const ChecksumAlgorithmInfo& info : ChecksumAlgorithms()) {
        for (const bool upper : {false, true}) {
            const std::string listName = std::string("list.") + WideToUtf8(info.ListExt);
            const SavedChecksumList list = ChecksumListFromReport(
                ViewText(info, upper), info.Algorithm, Utf8ToWide((dir_ / listName).string()));
            ASSERT_EQ(list.Entries, static_cast<int>(kNames.size()));
            std::ofstream(dir_ / listName, std::ios::binary) << list.Bytes;
            EXPECT_TRUE(Run(checks.at(info.Algorithm) + " " + listName)) << list.Bytes;
            // Each list reads back as it was written.
            ExpectEntriesOfTheFiles(listName, info.Algorithm);

            // A changed file fails the check.
            std::ofstream(dir_ / fs::u8path(kNames[0]), std::ios::binary) << "changed";
            EXPECT_FALSE(Run(checks.at(info.Algorithm) + " " + listName)) << list.Bytes;
            std::ofstream(dir_ / fs::u8path(kNames[0]), std::ios::binary) << contents_[kNames[0]];
        }
    }
}

TEST_F(ListTools, ToolsListsAreRead) {
    if (!ToolAvailable("rhash") || !ToolAvailable("md5sum"))
        GTEST_SKIP() << "coreutils or rhash missing";
    struct Case {
        std::string command;
        std::string list;
        ChecksumAlgorithm algorithm;
    };
    const Case cases[] = {
        {"md5sum", "sums.md5", ChecksumAlgorithm::MD5},
        {"md5sum -b", "MD5SUMS", ChecksumAlgorithm::MD5},
        {"sha1sum", "SHA1SUMS", ChecksumAlgorithm::SHA1},
        {"sha256sum", "SHA256SUMS", ChecksumAlgorithm::SHA256},
        {"sha256sum --tag", "tagged.txt", ChecksumAlgorithm::SHA256},
        {"md5sum --tag", "tagged.md5", ChecksumAlgorithm::MD5},
        {"rhash --sfv", "files.sfv", ChecksumAlgorithm::CRC32},
        {"rhash --bsd --sha1", "bsd.txt", ChecksumAlgorithm::SHA1},
        {"rhash --sha256", "rhash.sha256", ChecksumAlgorithm::SHA256},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Run(c.command + QuotedNames() + " > '" + c.list + "'")) << c.command;
        SCOPED_TRACE(c.command);
        ExpectEntriesOfTheFiles(c.list, c.algorithm);
    }
}

// Line forms the tools accept beside the ones they write: each reads as the
// same file here.
TEST_F(ListTools, HandWrittenLinesReadAsTheToolsReadThem) {
    if (!ToolAvailable("rhash") || !ToolAvailable("md5sum"))
        GTEST_SKIP() << "coreutils or rhash missing";
    const std::string name = kNames[0];
    const std::string md5 = WideToUtf8(DigestOf(contents_[name], CALG_MD5, false));
    for (const std::string& line :
         {"  " + md5 + "  " + name, md5 + "\t*" + name, md5 + "\t " + name, md5 + " " + name,
          "  \\" + md5 + "  " + name}) {
        SCOPED_TRACE(line);
        std::ofstream(dir_ / "hand.md5", std::ios::binary) << line << "\n";
        EXPECT_TRUE(Run("md5sum -c --strict hand.md5"));
        EXPECT_TRUE(Run("rhash --check hand.md5"));
        const ChecksumListContent content = ParseChecksumList(Utf8ToWide(line), L"hand.md5");
        ASSERT_EQ(content.Entries.size(), 1u);
        EXPECT_EQ(WideToUtf8(content.Entries[0].Name), name);
        EXPECT_EQ(WideToUtf8(content.Entries[0].Digest), md5);
    }
}

// Names that an SFV reader would take for a comment, trim or read as a
// tagged line: the saved list keeps every entry for RHash and for the
// program's own check.
TEST_F(ListTools, SfvListsKeepNamesThatLookLikeCommentsOrTags) {
    if (!ToolAvailable("rhash")) GTEST_SKIP() << "rhash missing";
    const std::vector<std::string> names = {";semi", "#hash", " blank", "MD5 (1).txt",
                                            "CRC32 (a) ="};
    std::string list;
    for (const std::string& name : names) {
        std::ofstream(dir_ / name, std::ios::binary) << name;
        list += FormatChecksumListLine(ChecksumAlgorithm::CRC32, Utf8ToWide(name),
                                       DigestOf(name, CALG_CRC32, true));
    }
    std::ofstream(dir_ / "saved.sfv", std::ios::binary) << list;
    EXPECT_TRUE(Run("rhash --check saved.sfv")) << list;
    EXPECT_TRUE(Run("rhash --check saved.sfv | grep -v 'Everything OK' | grep -c OK | grep -qx 5"))
        << list;
    const std::wstring listPath = Utf8ToWide((dir_ / "saved.sfv").string());
    const ChecksumListContent saved = ParseChecksumList(Utf8ToWide(list), L"saved.sfv");
    EXPECT_EQ(saved.UnrecognisedCount, 0);
    ASSERT_EQ(saved.Entries.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(ResolveEntryPath(listPath, saved.Entries[i].Name),
                  ResolveEntryPath(listPath, Utf8ToWide(names[i])));
        EXPECT_EQ(saved.Entries[i].Digest, DigestOf(names[i], CALG_CRC32, false));
    }

    // RHash writes a name that begins like a tagged line as it stands.
    ASSERT_TRUE(Run("rhash --sfv 'MD5 (1).txt' > rhash.sfv"));
    const ChecksumListContent written =
        ParseChecksumList(Utf8ToWide(Read("rhash.sfv")), L"rhash.sfv");
    EXPECT_EQ(written.UnrecognisedCount, 0);
    ASSERT_EQ(written.Entries.size(), 1u);
    EXPECT_EQ(WideToUtf8(written.Entries[0].Name), "MD5 (1).txt");
}

}  // namespace
