// The INI and registry stores over the real platform, the choice between
// them, and the load/save flows running on them.

#include <gtest/gtest.h>

#include "AppError.h"
#include "IniStoreWin32.h"
#include "LoadSaveSettings.h"
#include "MenuCheckState.h"
#include "RegistryStoreWin32.h"
#include "SettingsFakes.h"
#include "SettingsStoresWin32.h"
#include "Win32TestSupport.h"

namespace {

const wchar_t* const kKeys[] = {L"MD5",  L"SHA1", L"CRC32", L"SHA256",   L"Path",
                                L"Size", L"Ver",  L"Time",  L"CalcTime", L"Upcase"};

class Win32Stores : public testing::Test {
  protected:
    ScratchFolder folder{L"varudodi-settings-test"};
    FreshUserKey settingsKey{kSettingsKeyPath};
    std::wstring exePath = folder.MakeFolder(L"Program Files\\Varudodi") + L"\\Varudodi.exe";
    std::wstring iniPath = folder.Path() + L"\\Program Files\\Varudodi\\Varudodi.ini";
    SettingsStoresWin32 stores{exePath};
    FakeWindow window;
    std::int8_t stayOnTopState = kMenuUnchecked;

    void Load() { LoadSaveSettings(window, kSettingsLoad, stores, stayOnTopState); }
    void Save() { LoadSaveSettings(window, kSettingsSave, stores, stayOnTopState); }
    bool SettingsKeyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
    void SetRegValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    void SetRegDword(const wchar_t* name, DWORD value) {
        SetRegValue(name, REG_DWORD, &value, sizeof(value));
    }
    std::wstring IniValue(const wchar_t* section, const wchar_t* key) {
        wchar_t text[256] = {};
        GetPrivateProfileStringW(section, key, L"<missing>", text, 256, iniPath.c_str());
        return text;
    }
    RawRegValue RegValue(const wchar_t* name) {
        return ReadRawValue(HKEY_CURRENT_USER, kSettingsKeyPath, name);
    }
};

std::vector<BYTE> DwordBytes(DWORD value) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    return std::vector<BYTE>(bytes, bytes + 4);
}

// --- INI store ---------------------------------------------------------------

TEST_F(Win32Stores, IniReadOfMissingFileIsEmptyAndCreatesNothing) {
    IniStoreWin32 ini(iniPath);
    EXPECT_EQ(ini.ReadText(L"Setting", L"MD5"), L"");
    EXPECT_EQ(GetFileAttributesW(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32Stores, IniMatchesSectionsAndKeysWithoutCaseAndReadsLongValues) {
    const std::string longValue(3000, '7');
    WriteFileBytes(iniPath, "[setting]\r\nmd5=0\r\n[POSITION]\r\nwidth=" + longValue + "\r\n");
    IniStoreWin32 ini(iniPath);
    EXPECT_EQ(ini.ReadText(L"Setting", L"MD5"), L"0");
    EXPECT_EQ(ini.ReadText(L"Position", L"Width"), std::wstring(3000, L'7'));
    EXPECT_EQ(ini.ReadText(L"Position", L"Height"), L"");
}

TEST_F(Win32Stores, IniWriteAddsOrReplacesAndKeepsTheRestOfTheFile) {
    WriteFileBytes(iniPath, "[Other]\r\nkeep=yes\r\n[Position]\r\nWidth=5\r\n");
    IniStoreWin32 ini(iniPath);
    ini.WriteText(L"Position", L"Width", L"600");
    ini.WriteText(L"Setting", L"MD5", L"1");
    EXPECT_EQ(IniValue(L"Position", L"Width"), L"600");
    EXPECT_EQ(IniValue(L"Setting", L"MD5"), L"1");
    EXPECT_EQ(IniValue(L"Other", L"keep"), L"yes");
}

// An exclusive handle makes every write fail, as a read-only file would for a
// user without administrator rights (the attribute alone does not stop root
// under Wine).
class ExclusiveHold {
  public:
    explicit ExclusiveHold(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~ExclusiveHold() { CloseHandle(file_); }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
    bool Holds() const { return file_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE file_;
};

TEST_F(Win32Stores, IniWriteToAFileThatCannotBeWrittenThrows) {
    WriteFileBytes(iniPath, "");
    {
        const ExclusiveHold hold(iniPath);
        ASSERT_TRUE(hold.Holds());
        IniStoreWin32 ini(iniPath);
        EXPECT_THROW(ini.WriteText(L"Setting", L"MD5", L"1"), AppError);
    }
    EXPECT_EQ(ReadFileBytes(iniPath), "");
}

// --- Registry store ------------------------------------------------------------

TEST_F(Win32Stores, RegistryKeyIsOnlyCreatedForWriting) {
    RegistryStoreWin32 registry;
    EXPECT_EQ(registry.OpenForRead(), nullptr);
    EXPECT_FALSE(SettingsKeyExists());
    {
        const auto key = registry.OpenOrCreateForWrite();
        ASSERT_NE(key, nullptr);
        key->WriteDword(L"Width", 800);
    }
    const RawRegValue width = RegValue(L"Width");
    EXPECT_EQ(width.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(width.data, DwordBytes(800));
    const auto key = registry.OpenForRead();
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->ValueExists(L"width")) << "value names are matched without case";
    EXPECT_FALSE(key->ValueExists(L"Height"));
    EXPECT_EQ(key->ReadDword(L"Width"), 800u);
}

TEST_F(Win32Stores, RegistryReadRejectsMissingOtherTypesAndLongValues) {
    const wchar_t text[] = L"1";
    const unsigned long long eight = 1;
    const DWORD four = 1;
    SetRegValue(L"Text", REG_SZ, text, sizeof(text));
    SetRegValue(L"Qword", REG_QWORD, &eight, sizeof(eight));
    SetRegValue(L"LongDword", REG_DWORD, &eight, sizeof(eight));
    SetRegValue(L"Binary", REG_BINARY, &four, sizeof(four));
    SetRegValue(L"BigEndian", REG_DWORD_BIG_ENDIAN, &four, sizeof(four));
    SetRegDword(L"Good", 7);
    const auto key = RegistryStoreWin32().OpenForRead();
    ASSERT_NE(key, nullptr);
    for (const wchar_t* name :
         {L"Missing", L"Text", L"Qword", L"LongDword", L"Binary", L"BigEndian"}) {
        EXPECT_THROW(key->ReadDword(name), AppError) << testing::PrintToString(name);
    }
    EXPECT_EQ(key->ReadDword(L"Good"), 7u);
}

TEST_F(Win32Stores, RegistryWriteFailureThrowsWithTheSystemsReason) {
    SetRegDword(L"Width", 1);
    const auto key = RegistryStoreWin32().OpenForRead();  // read access only
    ASSERT_NE(key, nullptr);
    try {
        key->WriteDword(L"Width", 2);
        FAIL() << "writing through a read-only key must fail";
    } catch (const AppError& error) {
        EXPECT_EQ(error.Code(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(error.Message(), SystemErrorReason(ERROR_ACCESS_DENIED));
        EXPECT_FALSE(error.Message().empty());
        const wchar_t last = error.Message().back();
        EXPECT_TRUE(last != L'.' && last > L' ') << "trimmed reason";
        EXPECT_STRNE(error.what(), "");
    }
}

// --- Choice of store -----------------------------------------------------------

TEST_F(Win32Stores, IniStoreIsChosenOnlyWhenTheFileExists) {
    EXPECT_FALSE(stores.IniFileExists());
    CreateDirectoryW(iniPath.c_str(), nullptr);
    EXPECT_FALSE(stores.IniFileExists()) << "a folder of that name is not the INI file";
    RemoveDirectoryW(iniPath.c_str());
    WriteFileBytes(iniPath, "");
    EXPECT_TRUE(stores.IniFileExists());
}

// --- Flows on the real stores --------------------------------------------------

TEST_F(Win32Stores, NoIniAndNoKeyLoadsNothingAndCreatesNoKey) {
    Load();
    EXPECT_EQ(window.Checks(), FakeWindow().Checks());
    EXPECT_EQ(window.sizeSets, 0);
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_EQ(GetFileAttributesW(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32Stores, EmptyIniChecksEveryBoxAndStaysEmpty) {
    WriteFileBytes(iniPath, "");
    Load();
    EXPECT_EQ(window.Checks(), std::vector<bool>(10, true));
    EXPECT_FALSE(window.maximized);
    EXPECT_EQ(window.width, 527);
    EXPECT_EQ(window.height, 424);
    EXPECT_FALSE(window.stayOnTop);
    EXPECT_EQ(ReadFileBytes(iniPath), "");
}

TEST_F(Win32Stores, IniFileWinsOverTheRegistryKey) {
    SetRegDword(L"MD5", 0);
    SetRegDword(L"Maximized", 0);
    SetRegDword(L"Width", 900);
    SetRegDword(L"Height", 700);
    SetRegDword(L"StayOnTop", 1);
    WriteFileBytes(iniPath, "[Setting]\r\nSHA1=0\r\n");
    Load();
    EXPECT_TRUE(window.options[0].checked) << "MD5 from the registry is ignored";
    EXPECT_FALSE(window.options[1].checked) << "SHA1 from the INI file";
    EXPECT_EQ(window.width, 527);
    EXPECT_FALSE(window.stayOnTop);
    window.width = 1000;
    Save();
    EXPECT_EQ(IniValue(L"Position", L"Width"), L"1000");
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(900)) << "the registry key is not written";
}

TEST_F(Win32Stores, IniIsWrittenAsOnesZerosAndDecimals) {
    WriteFileBytes(iniPath, "");
    window.options[0].checked = false;
    window.width = 1024;
    window.height = 768;
    window.stayOnTop = true;
    Save();
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(IniValue(L"Setting", kKeys[i]), window.options[i].checked ? L"1" : L"0") << i;
    }
    EXPECT_EQ(IniValue(L"Position", L"Maximized"), L"0");
    EXPECT_EQ(IniValue(L"Position", L"Width"), L"1024");
    EXPECT_EQ(IniValue(L"Position", L"Height"), L"768");
    EXPECT_EQ(IniValue(L"Position", L"StayOnTop"), L"1");
    EXPECT_FALSE(SettingsKeyExists());

    FakeWindow next;
    std::int8_t nextState = kMenuUnchecked;
    LoadSaveSettings(next, kSettingsLoad, stores, nextState);
    EXPECT_EQ(next.Checks(), window.Checks());
    EXPECT_EQ(next.width, 1024);
    EXPECT_EQ(next.height, 768);
    EXPECT_TRUE(next.stayOnTop);
    EXPECT_EQ(nextState, kMenuChecked);
}

TEST_F(Win32Stores, UnwritableIniEndsTheSaveQuietly) {
    WriteFileBytes(iniPath, "");
    {
        const ExclusiveHold hold(iniPath);
        ASSERT_TRUE(hold.Holds());
        Save();
    }
    EXPECT_EQ(ReadFileBytes(iniPath), "");
    EXPECT_FALSE(SettingsKeyExists()) << "a failed INI save never falls back to the registry";
}

TEST_F(Win32Stores, RegistryIsWrittenAsDwordsAndLoadedBack) {
    window.options[9].checked = true;
    window.width = 1024;
    window.height = 768;
    Save();
    for (std::size_t i = 0; i < 10; ++i) {
        const RawRegValue value = RegValue(kKeys[i]);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD)) << i;
        EXPECT_EQ(value.data, DwordBytes(window.options[i].checked ? 1 : 0)) << i;
    }
    EXPECT_EQ(RegValue(L"Maximized").data, DwordBytes(0));
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(1024));
    EXPECT_EQ(RegValue(L"Height").data, DwordBytes(768));
    EXPECT_EQ(RegValue(L"StayOnTop").data, DwordBytes(0));

    FakeWindow next;
    std::int8_t nextState = kMenuUnchecked;
    LoadSaveSettings(next, kSettingsLoad, stores, nextState);
    EXPECT_EQ(next.Checks(), window.Checks());
    EXPECT_EQ(next.width, 1024);
    EXPECT_EQ(next.height, 768);
}

TEST_F(Win32Stores, RegistryValueOfAnotherTypeEndsTheLoadAtThatBox) {
    for (const wchar_t* key : kKeys) SetRegDword(key, 0);
    const wchar_t text[] = L"0";
    SetRegValue(L"Path", REG_SZ, text, sizeof(text));
    SetRegDword(L"Maximized", 0);
    SetRegDword(L"Width", 800);
    SetRegDword(L"Height", 600);
    Load();
    const std::vector<bool> expected = {false, false, false, false, true,
                                        true,  true,  true,  false, false};
    EXPECT_EQ(window.Checks(), expected);
    EXPECT_EQ(window.width, 527);
}

}  // namespace
