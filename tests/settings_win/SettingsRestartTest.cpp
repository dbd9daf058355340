// Varudodi.exe started twice as a separate process: an option changed in the
// first run is there in the second, through the registry and through an INI
// file beside the program.

#include <gtest/gtest.h>

#include "AppProbe.h"
#include "AppProcess.h"
#include "IniPath.h"
#include "RegistryStoreWin32.h"
#include "Win32TestSupport.h"

namespace {

class SettingsRestart : public testing::Test {
  protected:
    RegistryKeyGuard settingsKey{kSettingsKeyPath};
    std::wstring iniPath = IniPathForExecutable(AppProcess::ExecutablePath());
    FileGuard iniFile{iniPath};

    // Starts the program, lets `during` act on its window, closes it and
    // checks that it ended cleanly.
    template <typename During>
    void RunOnce(During during) {
        AppProcess app;
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
    bool SettingsKeyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
};

TEST_F(SettingsRestart, ChangedOptionSurvivesARestartInTheRegistry) {
    RunOnce([](HWND window) {
        EXPECT_FALSE(IsChecked(window, L"结果大写"));
        EXPECT_TRUE(IsChecked(window, L"MD5"));
        Click(window, L"结果大写");
        Click(window, L"MD5");
    });
    const RawRegValue upcase = ReadRawValue(HKEY_CURRENT_USER, kSettingsKeyPath, L"Upcase");
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
    EXPECT_FALSE(SettingsKeyExists()) << "the registry is not touched while the INI file exists";
}

}  // namespace
