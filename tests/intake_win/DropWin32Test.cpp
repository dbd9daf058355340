// Dropped paths read from a real drop handle, and what the drop queues.

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileApiPath.h"
#include "Intake.h"
#include "IntakeDropWin32.h"
#include "WinTestTree.h"

namespace {

using Paths = std::vector<std::wstring>;

class DropTest : public ::testing::Test {
  protected:
    TWinTree tree;
    TScanControl control{nullptr, nullptr};
};

TEST_F(DropTest, EveryDroppedPathArrivesWholeAndInOrder) {
    const Paths dropped{L"C:\\one.txt", L"D:\\folder", L"C:\\" + std::wstring(400, L'x') + L".bin",
                        L"E:\\z"};
    const HDROP drop = MakeDropHandle(dropped);
    ASSERT_NE(drop, nullptr);
    {
        const TDropHandle handle(drop);
        EXPECT_EQ(handle.Paths(), dropped);
    }
    // DragFinish has released the drop's memory.
    EXPECT_EQ(::GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE));
}

TEST_F(DropTest, FilesAreQueuedFoldersExpandedAndMissingPathsIgnored) {
    tree.Folder(L"dir\\sub");
    tree.File(L"dir\\sub\\two.txt");
    tree.File(L"dir\\one.txt");
    tree.File(L"single.txt");
    std::wstring deep;
    while (tree.At(deep).size() < 300)
        deep += (deep.empty() ? L"" : L"\\") + std::wstring(50, L'q');
    tree.Folder(deep);
    const std::wstring longFile = tree.At(deep + L"\\beyond-max-path.txt");
    const HANDLE file = ::CreateFileW(ApiPath(longFile).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    ASSERT_GT(longFile.size(), 259u);

    const TDropHandle drop(
        MakeDropHandle({tree.At(L"single.txt"), tree.At(L"dir"), tree.At(L"missing.txt"), longFile,
                        tree.At(L"single.txt")}));
    Paths queued;
    QueueDroppedPaths(drop.Paths(), PlatformFileSystem(), control,
                      [&](const std::wstring& path) { queued.push_back(path); });

    EXPECT_EQ(queued, (Paths{tree.At(L"single.txt"), tree.At(L"dir\\sub\\two.txt"),
                             tree.At(L"dir\\one.txt"), longFile, tree.At(L"single.txt")}));
}

}  // namespace
