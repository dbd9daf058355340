// Key names, INI integers, the INI path and the shell-integration texts.

#include <gtest/gtest.h>

#include <optional>

#include "IniInteger.h"
#include "IniPath.h"
#include "SettingKeyName.h"
#include "ShellIntegration.h"

namespace {

TEST(SettingKeyName, RemovesEveryCbPrefixInAnyCase) {
    const struct {
        const wchar_t* name;
        const wchar_t* key;
    } cases[] = {
        {L"CB_MD5", L"MD5"},
        {L"CB_SHA1", L"SHA1"},
        {L"CB_CRC32", L"CRC32"},
        {L"CB_SHA256", L"SHA256"},
        {L"CB_Path", L"Path"},
        {L"CB_Size", L"Size"},
        {L"CB_Ver", L"Ver"},
        {L"CB_Time", L"Time"},
        {L"CB_CalcTime", L"CalcTime"},
        {L"CB_Upcase", L"Upcase"},
        {L"cb_lower", L"lower"},
        {L"Cb_Mixed", L"Mixed"},
        {L"cB_Mixed", L"Mixed"},
        {L"CB_CB_Twice", L"Twice"},
        {L"MiddleCB_Part", L"MiddlePart"},
        {L"TailCB_", L"Tail"},
        {L"CCB_B_X", L"CB_X"},  // one pass: a "CB_" formed by a removal stays
        {L"CB", L"CB"},
        {L"CB-X", L"CB-X"},
        {L"CB_", L""},
        {L"", L""},
        {L"Btn_Save", L"Btn_Save"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingKeyName(c.name), c.key) << "name: " << testing::PrintToString(c.name);
    }
}

TEST(ParseIniInteger, AcceptsDecimalAndHexWithin32Bits) {
    const struct {
        const wchar_t* text;
        std::int32_t value;
    } cases[] = {
        {L"0", 0},
        {L"1", 1},
        {L"527", 527},
        {L"-5", -5},
        {L"+7", 7},
        {L"007", 7},
        {L"2147483647", 2147483647},
        {L"-2147483648", INT32_MIN},
        {L"0x0", 0},
        {L"0x1F", 31},
        {L"0X1f", 31},
        {L"0x200", 512},
        {L"0x7FFFFFFF", 2147483647},
        {L"0x80000000", INT32_MIN},
        {L"0xFFFFFFFF", -1},
        {L"0x0000000000000001", 1},  // leading zeros do not count towards the width
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseIniInteger(c.text), std::optional<std::int32_t>(c.value))
            << "text: " << testing::PrintToString(c.text);
    }
}

TEST(ParseIniInteger, RejectsTextThatIsNotA32BitInteger) {
    const wchar_t* const cases[] = {
        L"",
        L" ",
        L"abc",
        L"12abc",
        L"1.5",
        L" 1",
        L"1 ",
        L"+",
        L"-",
        L"--1",
        L"0x",  // two characters only: not taken as hexadecimal
        L"0X",
        L"0xG",
        L"0x1G",
        L"0x-1",
        L"-0x10",
        L"x10",
        L"$10",
        L"2147483648",
        L"-2147483649",
        L"99999999999999999999999",
        L"0x100000000",
        L"0xFFFFFFFFFFFFFFFFFF",
        L"\x0661",  // a digit, but not an ASCII one
    };
    for (const wchar_t* text : cases) {
        EXPECT_EQ(ParseIniInteger(text), std::nullopt) << "text: " << testing::PrintToString(text);
    }
}

TEST(IniPathForExecutable, ReplacesTheFileNameExtension) {
    const struct {
        const wchar_t* exe;
        const wchar_t* ini;
    } cases[] = {
        {L"C:\\Tools\\Varudodi.exe", L"C:\\Tools\\Varudodi.ini"},
        {L"C:\\Program Files\\Varudodi\\Varudodi.exe",
         L"C:\\Program Files\\Varudodi\\Varudodi.ini"},
        {L"C:\\Tools\\Varudodi.v2.exe", L"C:\\Tools\\Varudodi.v2.ini"},
        {L"C:\\Tools\\Varudodi", L"C:\\Tools\\Varudodi.ini"},
        {L"C:\\Tools.old\\Varudodi", L"C:\\Tools.old\\Varudodi.ini"},
        {L"C:\\Tools.old\\Varudodi.EXE", L"C:\\Tools.old\\Varudodi.ini"},
        {L"C:\\Tools\\Varudodi.", L"C:\\Tools\\Varudodi.ini"},
        {L"C:Varudodi.exe", L"C:Varudodi.ini"},
        {L"C:\\a.b/Varudodi", L"C:\\a.b/Varudodi.ini"},
        {L"\\\\server\\share.x\\Varudodi.exe", L"\\\\server\\share.x\\Varudodi.ini"},
        {L"Varudodi.exe", L"Varudodi.ini"},
        {L"Varudodi", L"Varudodi.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IniPathForExecutable(c.exe), c.ini) << "exe: " << testing::PrintToString(c.exe);
    }
}

TEST(ContextMenuCommandLine, QuotesThePathUnchangedAndAddsQuotedPlaceholder) {
    EXPECT_EQ(ContextMenuCommandLine(L"C:\\Tools\\Varudodi.exe"),
              L"\"C:\\Tools\\Varudodi.exe\" \"%1\"");
    EXPECT_EQ(ContextMenuCommandLine(L"C:\\Program Files (x86)\\工具 100%\\Varudodi.exe"),
              L"\"C:\\Program Files (x86)\\工具 100%\\Varudodi.exe\" \"%1\"");
}

TEST(FolderPartOf, KeepsEverythingUpToTheLastBackslashOrColon) {
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\Program Files\\Varudodi\\Varudodi.exe", L"C:\\Program Files\\Varudodi\\"},
        {L"C:\\Varudodi.exe", L"C:\\"},
        {L"C:Varudodi.exe", L"C:"},
        {L"\\\\server\\share\\Varudodi.exe", L"\\\\server\\share\\"},
        {L"Varudodi.exe", L""},
        {L"dir/Varudodi.exe", L""},  // only backslash and colon separate here
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPartOf(c.path), c.folder) << "path: " << testing::PrintToString(c.path);
    }
}

TEST(SendToLinkPathIn, AppendsTheLinkNameOnlyToAKnownFolder) {
    EXPECT_EQ(SendToLinkPathIn(L"C:\\users\\u\\SendTo"), L"C:\\users\\u\\SendTo\\计算Hash值.lnk");
    EXPECT_EQ(SendToLinkPathIn(L""), L"");
}

}  // namespace
