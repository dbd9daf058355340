// The form of a stored path for the file APIs: unchanged while short, the
// extended-length form once its full path is long.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "FileApiPath.h"

namespace {

// Full paths as GetFullPathNameW forms them, for a current folder of
// C:\work: absolute paths as they are, relative ones joined to it.
std::optional<std::wstring> FullPathInWork(const std::wstring& path) {
    const bool absolute =
        (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || path.rfind(L"\\\\", 0) == 0;
    return absolute ? path : L"C:\\work\\" + path;
}

struct Case {
    const char* name;
    std::wstring path;
    std::wstring expected;
};

TEST(FileApiPathTest, LongPathsTakeTheExtendedFormAndShortOnesStayAsGiven) {
    const std::wstring tail(300, L'n');
    // Lengths around the threshold, counted on the full path.
    const std::wstring justShort = L"C:\\" + std::wstring(kExtendedPathFrom - 4, L's');
    const std::wstring justLong = justShort + L"s";
    const std::wstring relativeLong(kExtendedPathFrom - 8, L'r');  // long once joined
    const Case cases[] = {
        {"short drive path", L"C:\\short\\name.txt", L"C:\\short\\name.txt"},
        {"short relative path", L"name.txt", L"name.txt"},
        {"long drive path", L"C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {"long server path", L"\\\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
        {"relative path long only in full", relativeLong, L"\\\\?\\C:\\work\\" + relativeLong},
        {"extended already", L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {"extended server path already", L"\\\\?\\UNC\\s\\" + tail, L"\\\\?\\UNC\\s\\" + tail},
        {"device path", L"\\\\.\\" + tail, L"\\\\.\\" + tail},
        {"one below the threshold", justShort, justShort},
        {"at the threshold", justLong, L"\\\\?\\" + justLong},
    };
    ASSERT_EQ(justShort.size(), kExtendedPathFrom - 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtendedLengthPath(c.path, FullPathInWork), c.expected);
    }
}

TEST(FileApiPathTest, TheNormalisedFullPathIsWhatGetsThePrefix) {
    // The extended form is taken literally: "." and ".." must be gone.
    const std::wstring tail(300, L'n');
    const auto normalising = [&](const std::wstring&) -> std::optional<std::wstring> {
        return L"C:\\b\\" + tail;
    };
    EXPECT_EQ(ExtendedLengthPath(L"C:\\a\\..\\b\\.\\" + tail, normalising),
              L"\\\\?\\C:\\b\\" + tail);
}

TEST(FileApiPathTest, APathWithoutAFullFormStaysAsGiven) {
    const std::wstring path = L"C:\\" + std::wstring(300, L'n');
    EXPECT_EQ(ExtendedLengthPath(path, [](const std::wstring&) { return std::nullopt; }), path);
}

}  // namespace

namespace {

TEST(FileApiPathTest, ReservedDeviceNames) {
    for (const wchar_t* name : {L"CON", L"prn", L"Aux", L"nul", L"COM1", L"com9", L"LPT1", L"lpt9",
                                L"COM\u00B9", L"LPT\u00B3", L"CONIN$", L"conout$", L"nul.txt",
                                L"COM1.tar.gz", L"NUL .txt", L"nul  ", L"con:", L"aux:stream"}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << static_cast<int>(name[0]);
    }
    for (const wchar_t* name : {L"", L"CO", L"CONS", L"NULL", L"COM0", L"COM10", L"LPT", L"xnul",
                                L"nul_", L"COM1x.txt", L".nul", L" NUL", L"COM\u00B4"}) {
        EXPECT_FALSE(IsReservedDeviceName(name)) << static_cast<int>(name[0]);
    }
}

// A file listed in a folder under a name that Windows reserves for a device
// is opened as the file, in the extended form, whatever the length.
TEST(FileApiPathTest, ReservedNamesInAFolderTakeTheExtendedForm) {
    const Case cases[] = {
        {"in a drive folder", L"C:\\d\\COM1.txt", L"\\\\?\\C:\\d\\COM1.txt"},
        {"on a server", L"\\\\srv\\s\\aux.c", L"\\\\?\\UNC\\srv\\s\\aux.c"},
        {"relative", L"d\\con", L"\\\\?\\C:\\work\\d\\con"},
        {"bare name, as given", L"COM1", L"COM1"},
        {"device path, as given", L"\\\\.\\COM1", L"\\\\.\\COM1"},
        {"extended, as given", L"\\\\?\\C:\\d\\nul", L"\\\\?\\C:\\d\\nul"},
        {"no reserved name", L"C:\\d\\COM10", L"C:\\d\\COM10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtendedLengthPath(c.path, FullPathInWork), c.expected);
    }
}

}  // namespace
