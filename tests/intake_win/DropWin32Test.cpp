// Dropped paths read from a real drop handle, and what the drop queues.

#include <gtest/gtest.h>
#include <windows.h>
// DROPFILES, after the base declarations.
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "FolderScanWin32.h"
#include "Intake.h"
#include "IntakeDropWin32.h"
#include "WinTestTree.h"

namespace {

using Paths = std::vector<std::wstring>;

// A drop handle as the shell makes one: a DROPFILES header followed by the
// wide paths, each ending in a NUL, and one more NUL.
HDROP MakeDrop(const Paths& paths) {
    std::size_t characters = 1;
    for (const std::wstring& path : paths) characters += path.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                   sizeof(DROPFILES) + characters * sizeof(wchar_t));
    if (!memory) return nullptr;
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* list = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        std::memcpy(list, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        list += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class DropTest : public ::testing::Test {
  protected:
    TWinTree tree;
    TScanControl control{nullptr, nullptr};
};

TEST_F(DropTest, EveryDroppedPathArrivesWholeAndInOrder) {
    const Paths dropped{L"C:\\one.txt", L"D:\\folder", L"C:\\" + std::wstring(400, L'x') + L".bin",
                        L"E:\\z"};
    const HDROP drop = MakeDrop(dropped);
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

    const TDropHandle drop(MakeDrop({tree.At(L"single.txt"), tree.At(L"dir"),
                                     tree.At(L"missing.txt"), longFile, tree.At(L"single.txt")}));
    Paths queued;
    QueueDroppedPaths(drop.Paths(), PlatformFileSystem(), control,
                      [&](const std::wstring& path) { queued.push_back(path); });

    EXPECT_EQ(queued, (Paths{tree.At(L"single.txt"), tree.At(L"dir\\sub\\two.txt"),
                             tree.At(L"dir\\one.txt"), longFile, tree.At(L"single.txt")}));
}

}  // namespace
