// The version API and the portable PE reader must agree on real files: a
// resource compiled by the resource compiler, and the system's own files.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "FileVersion.h"
#include "PeVersionReader.h"
#include "ReportFields.h"
#include "TestFiles.h"

namespace {

std::wstring ReaderLine(const std::filesystem::path& file) {
    const auto version = ReadPeFileVersion(StreamByteSource(file));
    return version ? L"文件版本: " + FileVersionText(*version) + L"\r\n" : L"";
}

std::filesystem::path ProbePath() {
    std::string path = VARUDODI_VERSION_PROBE;
    if (!path.empty() && path.front() == '/') {
        path = "Z:" + path;  // a Unix path under Wine
    }
    return path;
}

TEST(VersionApiAgreement, CompiledVersionResource) {
    const auto probe = ProbePath();
    ASSERT_TRUE(std::filesystem::is_regular_file(probe)) << probe.string();
    EXPECT_EQ(FormatFileVersionLine(probe.wstring()), L"文件版本: 1.4.2.0\r\n");
    EXPECT_EQ(ReaderLine(probe), L"文件版本: 1.4.2.0\r\n");
}

TEST(VersionApiAgreement, SystemFiles) {
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    int compared = 0;
    int versioned = 0;
    for (const auto& entry : std::filesystem::directory_iterator(system)) {
        const auto extension = entry.path().extension().wstring();
        if (!entry.is_regular_file() || (extension != L".dll" && extension != L".exe")) {
            continue;
        }
        const std::wstring fromApi = FormatFileVersionLine(entry.path().wstring());
        EXPECT_EQ(ReaderLine(entry.path()), fromApi) << entry.path().string();
        ++compared;
        versioned += fromApi.empty() ? 0 : 1;
    }
    std::printf("compared %d files, %d with a version\n", compared, versioned);
    EXPECT_GE(compared, 50);
    EXPECT_GE(versioned, 50);
}

}  // namespace
