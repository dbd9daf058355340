// The version API and the portable PE reader must agree on real files: a
// resource compiled by the resource compiler, and the system's own files.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// What the version API itself says about a file, without any shortcut.
std::wstring ApiLine(const std::filesystem::path& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return L"";
    std::vector<std::uint8_t> info(size);
    void* root = nullptr;
    UINT rootSize = 0;
    if (!GetFileVersionInfoW(file.c_str(), 0, size, info.data()) ||
        !VerQueryValueW(info.data(), L"\\", &root, &rootSize) ||
        rootSize < sizeof(VS_FIXEDFILEINFO)) {
        return L"";
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(root);
    return L"文件版本: " +
           FileVersionText(FileVersionFromWords(fixed->dwFileVersionMS, fixed->dwFileVersionLS)) +
           L"\r\n";
}

// The LZ-compressed form that Wine's version API reads: a header, then groups
// of a flag byte and up to eight bytes, here all stored as they are.
std::vector<std::uint8_t> StoredLzFile(const std::vector<std::uint8_t>& content) {
    std::vector<std::uint8_t> out = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 'e'};
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(content.size() >> shift));
    }
    for (std::size_t i = 0; i < content.size(); i += 8) {
        out.push_back(0xFF);
        for (std::size_t j = i; j < i + 8 && j < content.size(); ++j) out.push_back(content[j]);
    }
    return out;
}

// Files of every kind of beginning: those the version line answers without
// the API must get the API's own answer.
TEST(VersionApiAgreement, FilesOfEveryBeginning) {
    std::ifstream probeFile(ProbePath(), std::ios::binary);
    const std::vector<std::uint8_t> probe{std::istreambuf_iterator<char>(probeFile), {}};
    ASSERT_GT(probe.size(), 64u);
    std::vector<std::uint8_t> renamedMagic = probe;
    renamedMagic[0] = 'X';
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"empty.bin", {}},
        {"one.bin", {'M'}},
        {"mz.bin", {'M', 'Z'}},
        {"text.txt", {'h', 'e', 'l', 'l', 'o', '\r', '\n'}},
        {"image.exe", probe},
        {"magic-changed.exe", renamedMagic},
        {"compressed.ex_", StoredLzFile(probe)},
    };
    ScratchDirectory scratch;
    for (const Case& c : cases) {
        const auto path = scratch.Write(c.name, c.bytes);
        EXPECT_EQ(FormatFileVersionLine(path.wstring()), ApiLine(path)) << c.name;
    }
    EXPECT_EQ(ApiLine(scratch.Path() / "image.exe"), L"文件版本: 1.4.2.0\r\n");
}

}  // namespace
