// The program's own executable carries the project version, read natively by
// the PE reader and on Windows by the version API; both must agree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "FileVersion.h"
#include "PeVersionReader.h"
#include "ReportFields.h"
#include "TestFiles.h"

namespace {

// VARUDODI_EXE in the environment, else the path the build configured.
std::filesystem::path VarudodiExePath() {
    std::string path = VARUDODI_EXE_PATH;
    if (const char* fromEnvironment = std::getenv("VARUDODI_EXE")) {
        path = fromEnvironment;
    }
#ifdef _WIN32
    // Under Wine a Unix path lives on drive Z:.
    if (!path.empty() && path.front() == '/') {
        path = "Z:" + path;
    }
#endif
    return path;
}

TEST(VarudodiExe, CarriesTheProjectVersion) {
    const std::filesystem::path exe = VarudodiExePath();
    if (exe.empty() || !std::filesystem::is_regular_file(exe)) {
        GTEST_SKIP() << "Varudodi.exe not built yet (" << exe.string() << ")";
    }
    const std::string version = VARUDODI_PROJECT_VERSION;
    const std::wstring expected =
        L"文件版本: " + std::wstring(version.begin(), version.end()) + L"\r\n";
    EXPECT_EQ(FormatFileVersionLine(exe.wstring()), expected);
    // The same through a file the caller holds open.
    EXPECT_EQ(FormatFileVersionLine(exe.wstring(), StreamByteSource(exe)), expected);

    const auto fromReader = ReadPeFileVersion(ReadWholeFile(exe));
    ASSERT_TRUE(fromReader.has_value());
    EXPECT_EQ(L"文件版本: " + FileVersionText(*fromReader) + L"\r\n", expected);
}

}  // namespace
