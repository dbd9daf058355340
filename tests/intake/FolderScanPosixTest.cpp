// The folder expansion over real temporary trees on this platform's file
// system, where names beginning with a dot stand for hidden entries.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "FolderScan.h"
#include "FolderScanPosix.h"
#include "PosixTree.h"

namespace {

using Paths = std::vector<std::wstring>;

Paths Sorted(Paths paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

class FolderScanPosixTest : public ::testing::Test {
  protected:
    Paths Expand(const std::wstring& folder) {
        Paths queued;
        ExpandFolder(folder, PlatformFileSystem(), control,
                     [&](const std::wstring& path) { queued.push_back(path); });
        return queued;
    }
    std::wstring At(const std::string& relative) const { return tree.Wide(relative); }

    TPosixTree tree;
    TScanControl control{nullptr, nullptr};
};

TEST_F(FolderScanPosixTest, SubfoldersAreQueuedCompleteBeforeTheFolderOwnFiles) {
    tree.Folder("sub/inner");
    tree.File("sub/inner/i.txt");
    tree.File("sub/s.txt");
    tree.File("own.txt");

    EXPECT_EQ(Expand(tree.Wide()), (Paths{At("sub/inner/i.txt"), At("sub/s.txt"), At("own.txt")}));
}

TEST_F(FolderScanPosixTest, EachSubfolderStaysTogetherAndAheadOfTheOwnFiles) {
    for (const char* folder : {"a", "b", "c"}) {
        tree.Folder(folder);
        for (const char* file : {"1", "2", "3"}) tree.File(std::string(folder) + "/" + file);
        tree.File(std::string("own-") + folder);
    }
    const Paths queued = Expand(tree.Wide());

    ASSERT_EQ(queued.size(), 12u);
    for (std::size_t block = 0; block < 3; ++block) {
        const std::wstring folder = queued[block * 3].substr(0, queued[block * 3].rfind(L'/'));
        for (std::size_t i = 1; i < 3; ++i)
            EXPECT_EQ(queued[block * 3 + i].rfind(folder + L"/", 0), 0u);
    }
    for (std::size_t i = 9; i < 12; ++i) EXPECT_NE(queued[i].find(L"/own-"), std::wstring::npos);
}

TEST_F(FolderScanPosixTest, DotFoldersAreNotEnteredWhileDotFilesAreQueued) {
    tree.Folder(".hidden");
    tree.File(".hidden/inside.txt");
    tree.File(".profile");
    tree.File("visible.txt");

    EXPECT_EQ(Sorted(Expand(tree.Wide())), Sorted({At(".profile"), At("visible.txt")}));
}

TEST_F(FolderScanPosixTest, LinksLoopNowhereButLinkedSiblingsAreEntered) {
    tree.Folder("a");
    tree.File("a/a.txt");
    tree.Link("a/up", "..");                  // back to the scanned folder
    tree.Link("self", tree.Root().string());  // the scanned folder itself
    tree.Link("toA", "a");                    // a sibling: entered once more
    tree.Link("fileLink", "a/a.txt");
    tree.Link("dangling", "nowhere");

    const Paths queued = Expand(tree.Wide());

    // The dangling link names no folder, so it is queued like a file; the
    // job reports it when it fails to open it.
    EXPECT_EQ(Sorted(queued),
              Sorted({At("a/a.txt"), At("toA/a.txt"), At("fileLink"), At("dangling")}));
    ASSERT_EQ(queued.size(), 4u);
    EXPECT_EQ(Sorted({queued[0], queued[1]}), Sorted({At("a/a.txt"), At("toA/a.txt")}));
}

TEST_F(FolderScanPosixTest, ALinkedStartFolderIsNotEnteredAgainFromInside) {
    tree.Folder("real/deeper");
    tree.File("real/deeper/d.txt");
    tree.Link("real/deeper/back", "../..");
    tree.Link("entry", "real");

    EXPECT_EQ(Expand(At("entry")), Paths{At("entry/deeper/d.txt")});
}

TEST_F(FolderScanPosixTest, EmptyMissingAndNonFolderPathsYieldNothing) {
    tree.Folder("empty/emptier");
    tree.File("plain.txt");

    EXPECT_EQ(Expand(At("empty")), Paths{});
    EXPECT_EQ(Expand(At("missing")), Paths{});
    EXPECT_EQ(Expand(At("plain.txt")), Paths{});
}

TEST_F(FolderScanPosixTest, ATrailingSeparatorIsKeptAndDoubled) {
    tree.Folder("s");
    tree.File("s/g");
    tree.File("f");

    EXPECT_EQ(Expand(tree.Wide() + L"/"), (Paths{tree.Wide() + L"//s/g", tree.Wide() + L"//f"}));
}

TEST_F(FolderScanPosixTest, NamesThatAreNotUtf8ComeBackToTheSameFile) {
    tree.Folder("\xff\xfe-dir");
    tree.File("\xff\xfe-dir/\xc3\x28.bin");
    tree.File("\xe4\xb8\xad\xe6\x96\x87.txt");  // valid UTF-8: 中文.txt

    const Paths queued = Expand(tree.Wide());

    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(ToNativePath(queued[0]), (tree.Root() / "\xff\xfe-dir/\xc3\x28.bin").string());
    EXPECT_EQ(queued[1], tree.Wide() + L"/中文.txt");
    for (const std::wstring& path : queued)
        EXPECT_EQ(PlatformFileSystem().Inspect(path).Kind, TPathKind::File);
}

// Runs `scan` as an unprivileged user when the tests run as root, whom
// permissions do not stop; returns false when that is not possible.
bool ScanWithoutPrivileges(const std::function<Paths()>& scan, Paths& result) {
    if (::geteuid() != 0) {
        result = scan();
        return true;
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) return false;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(2);
        std::string text;
        for (const std::wstring& path : scan()) text += ToNativePath(path) + '\n';
        const bool written =
            ::write(pipeEnds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return false;
    }
    result.clear();
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        result.push_back(FromNativeName(text.substr(start, end - start)));
    }
    return true;
}

TEST_F(FolderScanPosixTest, UnreadableFoldersContributeNothing) {
    tree.Folder("closed");
    tree.File("closed/c.txt");
    tree.Folder("open");
    tree.File("open/o.txt");
    ASSERT_EQ(::chmod(tree.Root().string().append("/closed").c_str(), 0), 0);

    Paths queued;
    if (!ScanWithoutPrivileges([&] { return Expand(tree.Wide()); }, queued)) {
        GTEST_SKIP()
            << "running as root without a way to drop privileges, so no folder is unreadable";
    }
    EXPECT_EQ(queued, Paths{At("open/o.txt")});
}

TEST_F(FolderScanPosixTest, ClosingTheWindowStopsTheScan) {
    tree.Folder("a");
    tree.File("a/1");
    tree.File("top");
    TScanControl closing([&] { closing.DeferClose(); }, nullptr);
    TScanControl::TScope scope(closing);
    Paths queued;

    ExpandFolder(tree.Wide(), PlatformFileSystem(), closing,
                 [&](const std::wstring& path) { queued.push_back(path); });

    EXPECT_TRUE(queued.empty());
}

struct TConversionCase {
    std::string Native;
    std::wstring Wide;
};

TEST(PosixPathConversion, NamesConvertBothWaysWithoutLoss) {
    const TConversionCase cases[] = {
        {"plain", L"plain"},
        {"\xe4\xb8\xad\xe6\x96\x87", L"中文"},
        {"\xf0\x9f\x98\x80", L"\U0001F600"},
        {"\xff", L"\xDCFF"},                      // not UTF-8 at all
        {"\xc0\xaf", L"\xDCC0\xDCAF"},            // an overlong form
        {"\xed\xa0\x80", L"\xDCED\xDCA0\xDC80"},  // an encoded surrogate
        {"a\xe4\xb8", L"a\xDCE4\xDCB8"},          // cut short
    };
    for (const TConversionCase& c : cases) {
        EXPECT_EQ(FromNativeName(c.Native), c.Wide) << c.Native;
        EXPECT_EQ(ToNativePath(c.Wide), c.Native) << c.Native;
    }
}

}  // namespace
