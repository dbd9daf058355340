// Every call that opens, tests or lists a file by a stored path gives the
// file API the extended-length form once the path is long, and the path as
// stored otherwise. Wine opens long plain paths too, so the form is checked
// where it enters the API: the program's imports of the file functions are
// replaced by recorders that pass each call on.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FileApiPath.h"
#include "FileFacts.h"
#include "FolderScan.h"
#include "ImportHook.h"
#include "JobPlatform.h"
#include "ReportFields.h"
#include "Win32Raii.h"
#include "WinTestTree.h"

namespace {

// The paths each recorded function was given, in call order.
std::vector<std::wstring> createFilePaths;
std::vector<std::wstring> findFirstFilePaths;
std::vector<std::wstring> attributePaths;
std::vector<std::wstring> versionPaths;

ImportHook* createFileHook = nullptr;
ImportHook* findFirstFileHook = nullptr;
ImportHook* attributesHook = nullptr;
ImportHook* versionSizeHook = nullptr;

HANDLE WINAPI RecordCreateFile(LPCWSTR name, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) {
    createFilePaths.emplace_back(name);
    return createFileHook->Original<decltype(&::CreateFileW)>()(name, access, share, security,
                                                                disposition, flags, templateFile);
}

HANDLE WINAPI RecordFindFirstFileEx(LPCWSTR name, FINDEX_INFO_LEVELS level, LPVOID data,
                                    FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    findFirstFilePaths.emplace_back(name);
    return findFirstFileHook->Original<decltype(&::FindFirstFileExW)>()(name, level, data, search,
                                                                        filter, flags);
}

DWORD WINAPI RecordGetFileAttributes(LPCWSTR name) {
    attributePaths.emplace_back(name);
    return attributesHook->Original<decltype(&::GetFileAttributesW)>()(name);
}

DWORD WINAPI RecordGetFileVersionInfoSize(LPCWSTR name, LPDWORD handle) {
    versionPaths.emplace_back(name);
    return versionSizeHook->Original<decltype(&::GetFileVersionInfoSizeW)>()(name, handle);
}

class LongPathApiTest : public ::testing::Test {
  protected:
    LongPathApiTest()
        : createFile_("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(RecordCreateFile)),
          findFirstFile_("kernel32.dll", "FindFirstFileExW",
                         reinterpret_cast<void*>(RecordFindFirstFileEx)),
          attributes_("kernel32.dll", "GetFileAttributesW",
                      reinterpret_cast<void*>(RecordGetFileAttributes)),
          versionSize_("version.dll", "GetFileVersionInfoSizeW",
                       reinterpret_cast<void*>(RecordGetFileVersionInfoSize)) {
        createFileHook = &createFile_;
        findFirstFileHook = &findFirstFile_;
        attributesHook = &attributes_;
        versionSizeHook = &versionSize_;
        for (auto* paths : {&createFilePaths, &findFirstFilePaths, &attributePaths, &versionPaths})
            paths->clear();
        // A folder whose path is far beyond MAX_PATH, holding one file.
        std::wstring deep;
        while (tree.At(deep).size() < 2 * MAX_PATH)
            deep += (deep.empty() ? L"" : L"\\") + std::wstring(40, L'd');
        tree.Folder(deep);
        longFolder = tree.At(deep);
        tree.File(deep + L"\\long.txt");
        longFile = longFolder + L"\\long.txt";
        tree.File(L"short.txt");
        createFilePaths.clear();
    }

    // An image's first bytes in the long folder, so that the version API is
    // asked too.
    std::wstring WriteLongImageHead() {
        const std::wstring image = longFolder + L"\\image.exe";
        const UniqueFile file(::CreateFileW((L"\\\\?\\" + image).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(file && ::WriteFile(file.Get(), "MZ", 2, &written, nullptr) && written == 2);
        createFilePaths.clear();
        return image;
    }

    static bool Contains(const std::vector<std::wstring>& calls, const std::wstring& path) {
        return std::find(calls.begin(), calls.end(), path) != calls.end();
    }

    ImportHook createFile_;
    ImportHook findFirstFile_;
    ImportHook attributes_;
    ImportHook versionSize_;
    TWinTree tree;
    std::wstring longFolder;
    std::wstring longFile;
};

TEST_F(LongPathApiTest, TheJobOpensALongPathInExtendedFormAndAShortOneAsStored) {
    ASSERT_EQ(longFile.rfind(L"\\\\", 0), std::wstring::npos) << "a drive path";
    for (const std::wstring& path : {longFile, tree.At(L"short.txt")}) {
        std::unique_ptr<JobFile> file;
        EXPECT_EQ(SystemJobPlatform().OpenFile(path, file), 0u);
    }
    EXPECT_EQ(createFilePaths,
              (std::vector<std::wstring>{L"\\\\?\\" + longFile, tree.At(L"short.txt")}));
}

TEST_F(LongPathApiTest, TheVersionLineReadsALongPathInExtendedForm) {
    const std::wstring image = WriteLongImageHead();

    EXPECT_FALSE(ReadFileVersion(image).has_value());
    EXPECT_EQ(versionPaths, std::vector<std::wstring>{L"\\\\?\\" + image});
    for (const std::wstring& path : createFilePaths) {
        EXPECT_EQ(path, L"\\\\?\\" + image);
    }
    versionPaths.clear();
    createFilePaths.clear();
    ReadFileVersion(tree.At(L"short.txt"));
    for (const auto* calls : {&versionPaths, &createFilePaths}) {
        for (const std::wstring& path : *calls) EXPECT_EQ(path, tree.At(L"short.txt"));
    }
}

// The job opens each file once: its version line looks through the job's
// handle, and only an image goes on to the version API, by its long path.
TEST_F(LongPathApiTest, TheJobsVersionLineLooksThroughTheJobsOwnHandle) {
    const std::wstring image = WriteLongImageHead();

    const struct {
        std::wstring path;
        std::vector<std::wstring> versionApiPaths;
    } cases[] = {
        {longFile, {}},
        {tree.At(L"short.txt"), {}},
        {image, {L"\\\\?\\" + image}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path.size() << " characters");
        createFilePaths.clear();
        versionPaths.clear();
        std::unique_ptr<JobFile> file;
        ASSERT_EQ(SystemJobPlatform().OpenFile(c.path, file), 0u);
        EXPECT_EQ(FormatFileVersionLine(c.path, *file), L"");
        EXPECT_EQ(versionPaths, c.versionApiPaths);
        if (c.versionApiPaths.empty()) {
            EXPECT_EQ(createFilePaths.size(), 1u) << "the job's open only";
        }
    }
}

TEST_F(LongPathApiTest, TheFolderScanListsAndTestsLongPathsInExtendedForm) {
    TScanControl control(nullptr, nullptr);
    std::vector<std::wstring> queued;
    ExpandFolder(longFolder, PlatformFileSystem(), control,
                 [&](const std::wstring& path) { queued.push_back(path); });
    EXPECT_EQ(queued, std::vector<std::wstring>{longFile}) << "queued as the user knows it";
    EXPECT_TRUE(Contains(findFirstFilePaths, L"\\\\?\\" + longFolder + L"\\*.*"));
    EXPECT_TRUE(Contains(createFilePaths, L"\\\\?\\" + longFolder)) << "the folder's identity";
    for (const auto* calls : {&findFirstFilePaths, &createFilePaths, &attributePaths}) {
        for (const std::wstring& path : *calls) {
            EXPECT_EQ(path.rfind(L"\\\\?\\", 0), 0u) << "plain long path given to the API";
        }
    }
}

TEST_F(LongPathApiTest, ARelativePathLongOnlyInFullIsOpenedInExtendedForm) {
    // A current folder within MAX_PATH, a relative path that is short itself.
    const std::wstring current = tree.At(std::wstring(120, L'c'));
    const std::wstring relative = std::wstring(100, L'r') + L"\\rel.txt";
    const std::wstring full = current + L"\\" + relative;
    ASSERT_LT(current.size(), static_cast<std::size_t>(MAX_PATH - 2));
    ASSERT_LT(relative.size(), kExtendedPathFrom);
    ASSERT_GE(full.size(), kExtendedPathFrom);
    tree.Folder(std::wstring(120, L'c') + L"\\" + std::wstring(100, L'r'));
    tree.File(std::wstring(120, L'c') + L"\\" + relative);
    createFilePaths.clear();

    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(current.c_str()));
    std::unique_ptr<JobFile> file;
    const ErrorCode error = SystemJobPlatform().OpenFile(relative, file);
    file.reset();
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(createFilePaths, std::vector<std::wstring>{L"\\\\?\\" + full});
}

}  // namespace
