// Names in checksum lists against the list's folder, both ways.

#include <gtest/gtest.h>

#include "ChecksumListPaths.h"
#include "Utf8Text.h"

namespace {

TEST(ChecksumListPaths, EntriesResolveAgainstTheListsFolder) {
    struct Case {
        const wchar_t* list;
        const wchar_t* name;
        const wchar_t* resolved;
    };
    const Case cases[] = {
        {L"C:\\lists\\sums.md5", L"a b.txt", L"C:\\lists\\a b.txt"},
        {L"C:\\lists\\sums.md5", L"sub/中文 名.txt", L"C:\\lists\\sub\\中文 名.txt"},
        {L"C:\\lists\\sums.md5", L"./x", L"C:\\lists\\x"},
        {L"C:\\lists\\sums.md5", L"../data/x", L"C:\\data\\x"},
        {L"C:\\lists\\sums.md5", L"..\\..\\..\\x", L"C:\\x"},
        {L"C:\\lists\\sums.md5", L"a//b", L"C:\\lists\\a\\b"},
        {L"C:\\lists\\sums.md5", L"D:\\other\\x", L"D:\\other\\x"},
        {L"C:\\lists\\sums.md5", L"D:/other/../x", L"D:\\x"},
        {L"C:\\lists\\sums.md5", L"\\rooted\\x", L"C:\\rooted\\x"},
        {L"C:\\lists\\sums.md5", L"\\\\srv\\share\\x", L"\\\\srv\\share\\x"},
        {L"\\\\srv\\share\\l\\s.md5", L"..\\..\\x", L"\\\\srv\\share\\x"},
        {L"\\\\srv\\share\\l\\s.md5", L"\\x", L"\\\\srv\\share\\x"},
        {L"\\\\?\\C:\\l\\s.md5", L"..\\x", L"\\\\?\\C:\\x"},
        {L"\\\\?\\UNC\\srv\\share\\s.md5", L"..\\x", L"\\\\?\\UNC\\srv\\share\\x"},
        {L"C:\\s.md5", L"x", L"C:\\x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideToUtf8(ResolveEntryPath(c.list, c.name)), WideToUtf8(c.resolved))
            << WideToUtf8(c.list) << " + " << WideToUtf8(c.name);
    }
}

TEST(ChecksumListPaths, NamesAreRelativeBelowTheListsFolderElseFull) {
    struct Case {
        const wchar_t* list;
        const wchar_t* path;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"C:\\data\\list.md5", L"C:\\data\\a b.txt", L"a b.txt"},
        {L"C:\\data\\list.md5", L"C:\\data\\sub\\中文.txt", L"sub/中文.txt"},
        {L"C:\\data\\list.md5", L"c:\\DATA\\a.txt", L"a.txt"},
        {L"C:\\data\\list.md5", L"C:\\database\\a.txt", L"C:\\database\\a.txt"},
        {L"C:\\data\\list.md5", L"D:\\data\\a.txt", L"D:\\data\\a.txt"},
        {L"C:\\data\\sub\\list.md5", L"C:\\data\\a.txt", L"C:\\data\\a.txt"},
        {L"C:\\data\\list.md5", L"a.txt", L"a.txt"},
        {L"/tmp/d/list.md5", L"/tmp/d/x y/z", L"x y/z"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideToUtf8(NameInList(c.list, c.path)), WideToUtf8(c.name)) << WideToUtf8(c.path);
    }
}

TEST(ChecksumListPaths, AbsolutePaths) {
    EXPECT_TRUE(IsAbsoluteListPath(L"C:\\x"));
    EXPECT_TRUE(IsAbsoluteListPath(L"c:/x"));
    EXPECT_TRUE(IsAbsoluteListPath(L"\\x"));
    EXPECT_TRUE(IsAbsoluteListPath(L"\\\\srv\\s"));
    EXPECT_FALSE(IsAbsoluteListPath(L"x\\y"));
    EXPECT_FALSE(IsAbsoluteListPath(L"C:x"));
    EXPECT_FALSE(IsAbsoluteListPath(L".."));
}

TEST(ChecksumListPaths, DevicesAndSharesAreToldFromFiles) {
    using K = EntryPathKind;
    struct Case {
        std::wstring path;
        EntryPathKind kind;
    };
    const Case cases[] = {
        {L"C:\\l\\a.bin", K::File},
        {L"C:\\l\\console.txt", K::File},
        {L"C:\\l\\COM10", K::File},
        {L"C:\\l\\nul.d\\a", K::Device},
        {L"C:\\l\\NUL", K::Device},
        {L"C:\\l\\nul.txt", K::Device},
        {L"C:\\l\\Com1.tar.gz", K::Device},
        {L"C:\\l\\lpt9", K::Device},
        {L"C:\\l\\aux .txt", K::Device},
        {L"C:\\l\\CONOUT$", K::Device},
        {L"C:/l/prn", K::Device},
        {L"\\\\.\\pipe\\x", K::Device},
        {L"\\\\.\\C:\\a.bin", K::Device},
        {L"//./PhysicalDrive0", K::Device},
        {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\a", K::Device},
        {L"\\\\?\\Volume{0}\\a", K::Device},
        {L"\\\\?\\C:\\a.bin", K::File},
        {L"\\\\?\\UNC\\srv\\s\\a.bin", K::Network},
        {L"\\\\?\\unc\\srv\\s\\a.bin", K::Network},
        {L"\\\\srv\\s\\a.bin", K::Network},
        {L"//srv/s/a.bin", K::Network},
        {L"\\\\srv\\s\\CON", K::Device},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KindOfEntryPath(c.path), c.kind) << WideToUtf8(c.path);
    }
    EXPECT_TRUE(IsNetworkPath(L"\\\\srv\\s\\l.md5"));
    EXPECT_TRUE(IsNetworkPath(L"\\\\?\\UNC\\srv\\s\\l.md5"));
    EXPECT_FALSE(IsNetworkPath(L"C:\\l.md5"));
    EXPECT_FALSE(IsNetworkPath(L"\\\\?\\C:\\l.md5"));
    EXPECT_FALSE(IsNetworkPath(L"\\\\.\\pipe\\l"));
}

// What a list names is classified once resolved: a relative name can reach
// neither the device namespace nor another computer except through a
// reserved name.
TEST(ChecksumListPaths, ResolvedEntriesKeepTheirKind) {
    const std::wstring list = L"C:\\l\\sums.md5";
    EXPECT_EQ(KindOfEntryPath(ResolveEntryPath(list, L"../../../\\srv\\s")), EntryPathKind::File);
    EXPECT_EQ(KindOfEntryPath(ResolveEntryPath(list, L"\\\\.\\pipe\\x")), EntryPathKind::Device);
    EXPECT_EQ(KindOfEntryPath(ResolveEntryPath(list, L"//srv/s/x")), EntryPathKind::Network);
    EXPECT_EQ(KindOfEntryPath(ResolveEntryPath(list, L"sub/COM1.txt")), EntryPathKind::Device);
    EXPECT_EQ(KindOfEntryPath(ResolveEntryPath(list, L"\\??\\C:\\x")), EntryPathKind::File);
}

}  // namespace
