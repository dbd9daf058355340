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

}  // namespace
