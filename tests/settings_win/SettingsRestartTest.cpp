// Varudodi.exe started twice as a separate process: an option changed in the
// first run is there in the second, through the registry and through an INI
// file beside the program. The program runs as a copy in a scratch folder,
// so the INI file is a scratch file. A separate process cannot share this
// process's redirected hive: the registry case runs only under Wine, in the
// test's own prefix, and never reaches a Windows user's settings.

#include <gtest/gtest.h>

#include "AppProbe.h"
#include "AppProcess.h"
#include "IniPath.h"
#include "RegistryStoreWin32.h"
#include "Win32TestSupport.h"

namespace {

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

class SettingsRestart : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(::CopyFileW(AppProcess::ExecutablePath().c_str(), program.c_str(), FALSE));
        if (RunningUnderWine()) RemoveRealSettingsKey();
    }
    void TearDown() override {
        if (RunningUnderWine()) RemoveRealSettingsKey();
    }

    ScratchFolder folder{L"varudodi-restart-test"};
    std::wstring program = folder.Path() + L"\\Varudodi.exe";
    std::wstring iniPath = IniPathForExecutable(program);

    // Starts the program, lets `during` act on its window, closes it and
    // checks that it ended cleanly.
    template <typename During>
    void RunOnce(During during) {
        AppProcess app({}, program);
        const HWND window = probe::WaitForMainWindow(60000, app.Id());
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(probe::WaitForIdle(window, 10000));
        during(window);
        ASSERT_TRUE(probe::CloseAndWait(window, 30000));
        ASSERT_TRUE(app.WaitForExit(30000));
        EXPECT_EQ(app.ExitCode(), 0u);
    }
    static bool IsChecked(HWND window, const wchar_t* caption) {
        const HWND box = probe::FindChildByCaption(window, caption);
        EXPECT_NE(box, nullptr) << probe::ToUtf8(caption);
        return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static void Click(HWND window, const wchar_t* caption) {
        SendMessageW(probe::FindChildByCaption(window, caption), BM_CLICK, 0, 0);
    }
    // The program's own hive is the real one, not this process's sandbox.
    static HKEY RealSoftware() { return UserSettingsSandbox::Active()->RealUserSoftware(); }
    static std::wstring RealSettingsKey() {
        return UserSettingsSandbox::InRealHive(kSettingsKeyPath);
    }
    static void RemoveRealSettingsKey() {
        ::RegDeleteTreeW(RealSoftware(), RealSettingsKey().c_str());
    }
    bool SettingsKeyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(RealSoftware(), RealSettingsKey().c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
};

TEST_F(SettingsRestart, ChangedOptionSurvivesARestartInTheRegistry) {
    if (!RunningUnderWine()) GTEST_SKIP() << "would write the user's own settings key";
    RunOnce([](HWND window) {
        EXPECT_FALSE(IsChecked(window, L"结果大写"));
        EXPECT_TRUE(IsChecked(window, L"MD5"));
        Click(window, L"结果大写");
        Click(window, L"MD5");
    });
    const RawRegValue upcase = ReadRawValue(RealSoftware(), RealSettingsKey(), L"Upcase");
    EXPECT_EQ(upcase.type, static_cast<DWORD>(REG_DWORD));
    RunOnce([](HWND window) {
        EXPECT_TRUE(IsChecked(window, L"结果大写"));
        EXPECT_FALSE(IsChecked(window, L"MD5"));
    });
}

TEST_F(SettingsRestart, ChangedOptionSurvivesARestartInTheIniFile) {
    WriteFileBytes(iniPath, "");
    RunOnce([](HWND window) {
        EXPECT_TRUE(IsChecked(window, L"计算时间")) << "an empty INI file checks every box";
        Click(window, L"计算时间");
    });
    RunOnce([](HWND window) { EXPECT_FALSE(IsChecked(window, L"计算时间")); });
    const std::string text = ReadFileBytes(iniPath);
    EXPECT_NE(text.find("CalcTime=0"), std::string::npos) << text;
    if (RunningUnderWine()) {
        EXPECT_FALSE(SettingsKeyExists())
            << "the registry is not touched while the INI file exists";
    }
}

}  // namespace
