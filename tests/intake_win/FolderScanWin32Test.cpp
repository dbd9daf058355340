// The folder expansion over real trees with the Windows file system.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FileApiPath.h"
#include "FolderScan.h"
#include "JobPlatform.h"
#include "Win32Raii.h"
#include "WinTestTree.h"

namespace {

using Paths = std::vector<std::wstring>;

Paths Sorted(Paths paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

class FolderScanWin32Test : public ::testing::Test {
  protected:
    Paths Expand(const std::wstring& folder) {
        Paths queued;
        ExpandFolder(folder, PlatformFileSystem(), control,
                     [&](const std::wstring& path) { queued.push_back(path); });
        return queued;
    }

    TWinTree tree;
    int messageRuns = 0;
    TScanControl control{[this] { ++messageRuns; }, nullptr};
};

TEST_F(FolderScanWin32Test, SubfoldersAreQueuedCompleteBeforeTheFolderOwnFiles) {
    tree.Folder(L"sub\\inner");
    tree.File(L"sub\\inner\\i.txt");
    tree.File(L"sub\\s.txt");
    tree.File(L"own.txt");

    EXPECT_EQ(Expand(tree.At()),
              (Paths{tree.At(L"sub\\inner\\i.txt"), tree.At(L"sub\\s.txt"), tree.At(L"own.txt")}));
    EXPECT_GT(messageRuns, 0);
}

TEST_F(FolderScanWin32Test, HiddenAndSystemFoldersAreSkippedTheirFilesQueued) {
    tree.Folder(L"hid");
    tree.File(L"hid\\in-hidden.txt");
    tree.Folder(L"sys");
    tree.File(L"sys\\in-system.txt");
    tree.Folder(L"plain");
    tree.File(L"plain\\p.txt");
    tree.File(L"hidden.txt");
    tree.File(L"system.txt");
    tree.File(L"normal.txt");
    ASSERT_TRUE(tree.SetAttributes(L"hid", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(tree.SetAttributes(L"sys", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(tree.SetAttributes(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(tree.SetAttributes(L"system.txt", FILE_ATTRIBUTE_SYSTEM));

    const Paths queued = Expand(tree.At());

    ASSERT_EQ(queued.size(), 4u);
    EXPECT_EQ(queued[0], tree.At(L"plain\\p.txt"));
    EXPECT_EQ(Sorted({queued[1], queued[2], queued[3]}),
              Sorted({tree.At(L"hidden.txt"), tree.At(L"system.txt"), tree.At(L"normal.txt")}));
}

TEST_F(FolderScanWin32Test, ADriveRootGivesTwoBackslashesBeforeEachName) {
    tree.Folder(L"s");
    tree.File(L"s\\g.txt");
    tree.File(L"f.txt");
    const TDriveMapping drive(tree.At());
    if (drive.Root().empty()) GTEST_SKIP() << "no free drive letter could be mapped";

    EXPECT_EQ(Expand(drive.Root()),
              (Paths{drive.Root() + L"\\s\\g.txt", drive.Root() + L"\\f.txt"}));
}

TEST_F(FolderScanWin32Test, LinksLoopNowhereButALinkedSiblingIsEntered) {
    tree.Folder(L"a");
    tree.File(L"a\\a.txt");
    tree.File(L"top.txt");
    if (!tree.FolderLink(L"a\\up", tree.At()) || !tree.FolderLink(L"toA", tree.At(L"a"))) {
        GTEST_SKIP() << "this system makes no folder links for an unprivileged user";
    }
    // A link shows the volume and file index of the folder it leads to.
    const TPathInfo viaLink = PlatformFileSystem().Inspect(tree.At(L"toA"));
    const TPathInfo direct = PlatformFileSystem().Inspect(tree.At(L"a"));
    ASSERT_EQ(viaLink.Kind, TPathKind::Directory);
    ASSERT_TRUE(viaLink.Identity && direct.Identity);
    EXPECT_EQ(*viaLink.Identity, *direct.Identity);

    const Paths queued = Expand(tree.At());

    ASSERT_EQ(queued.size(), 3u);
    EXPECT_EQ(Sorted({queued[0], queued[1]}),
              Sorted({tree.At(L"a\\a.txt"), tree.At(L"toA\\a.txt")}));
    EXPECT_EQ(queued[2], tree.At(L"top.txt"));
}

TEST_F(FolderScanWin32Test, PathsBeyondMaxPathAreScannedAndQueuedWhole) {
    std::wstring deep;
    while (tree.At(deep).size() < 2 * MAX_PATH)
        deep += (deep.empty() ? L"" : L"\\") + std::wstring(40, L'd');
    tree.Folder(deep);
    ASSERT_TRUE(::CreateDirectoryW(ApiPath(tree.At(deep + L"\\leaf")).c_str(), nullptr));
    const HANDLE file =
        ::CreateFileW(ApiPath(tree.At(deep + L"\\leaf\\long.txt")).c_str(), GENERIC_WRITE, 0,
                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);

    EXPECT_EQ(Expand(tree.At()), Paths{tree.At(deep + L"\\leaf\\long.txt")});
}

TEST_F(FolderScanWin32Test, InspectTellsFilesFoldersAndNothing) {
    tree.Folder(L"f");
    tree.File(L"x.bin");
    TFileSystem& fs = PlatformFileSystem();
    EXPECT_EQ(fs.Inspect(tree.At(L"f")).Kind, TPathKind::Directory);
    EXPECT_TRUE(fs.Inspect(tree.At(L"f")).Identity.has_value());
    EXPECT_EQ(fs.Inspect(tree.At(L"x.bin")).Kind, TPathKind::File);
    EXPECT_EQ(fs.Inspect(tree.At(L"missing")).Kind, TPathKind::Missing);
    EXPECT_EQ(fs.Inspect(tree.At(L"missing\\deeper")).Kind, TPathKind::Missing);
}

struct TApiPathCase {
    std::wstring Path;
    std::wstring Expected;
};

TEST(ApiPathTest, LongPathsGetTheExtendedLengthPrefix) {
    const std::wstring longTail(300, L'n');
    const TApiPathCase cases[] = {
        {L"C:\\short\\name.txt", L"C:\\short\\name.txt"},
        {L"relative.txt", L"relative.txt"},
        {L"C:\\" + longTail, L"\\\\?\\C:\\" + longTail},
        {L"C:\\\\" + longTail, L"\\\\?\\C:\\" + longTail},  // a root's doubled backslash
        {L"C:\\a\\..\\" + longTail, L"\\\\?\\C:\\" + longTail},
        {L"\\\\server\\share\\" + longTail, L"\\\\?\\UNC\\server\\share\\" + longTail},
        {L"\\\\?\\C:\\" + longTail, L"\\\\?\\C:\\" + longTail},
    };
    for (const TApiPathCase& c : cases)
        EXPECT_EQ(ApiPath(c.Path), c.Expected) << c.Path.substr(0, 20);
}

// Other systems can write files under names that Windows reserves for
// devices. Found by a listing, such a file is hashed as the file: its path
// in the plain form would open the device (a serial port's read may never
// return).
TEST_F(FolderScanWin32Test, AFileNamedLikeADeviceIsOpenedAsTheFile) {
    tree.Folder(L"dev");
    for (const wchar_t* name : {L"COM1.txt", L"nul", L"aux.tar.gz"}) {
        const std::wstring path = L"\\\\?\\" + tree.At(L"dev\\") + name;
        const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(file && ::WriteFile(file.Get(), "abc", 3, &written, nullptr) && written == 3)
            << ::GetLastError();
    }
    const Paths queued = Expand(tree.At(L"dev"));
    ASSERT_EQ(queued.size(), 3u);
    for (const std::wstring& path : queued) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        EXPECT_EQ(path.rfind(tree.At(L"dev\\"), 0), 0u) << "queued as found, without a prefix";
        std::unique_ptr<JobFile> file;
        ASSERT_EQ(SystemJobPlatform().OpenFile(path, file), 0u);
        std::int64_t size = -1;
        EXPECT_EQ(file->GetSize(size), 0u);
        EXPECT_EQ(size, 3);
        char bytes[8] = {};
        std::uint32_t read = 0;
        EXPECT_EQ(file->Read(bytes, sizeof bytes, read), 0u);
        EXPECT_EQ(std::string(bytes, read), "abc");
    }
}

}  // namespace
