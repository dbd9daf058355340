// The Windows tests never reach the user's own settings: what the program
// writes under HKEY_CURRENT_USER lands in the sandbox's scratch key, and the
// Send To shortcut in the sandbox's folder.

#include <gtest/gtest.h>

#include <string>

#include "RegistryStoreWin32.h"
#include "ShellIntegration.h"
#include "SystemMenuWin32.h"
#include "UserSettingsSandbox.h"

namespace {

bool ValueExists(HKEY root, const std::wstring& keyPath, const std::wstring& name) {
    return ::RegGetValueW(root, keyPath.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

TEST(SettingsSandbox, TheCurrentUsersKeysAreTheScratchKeys) {
    const UserSettingsSandbox* sandbox = UserSettingsSandbox::Active();
    ASSERT_NE(sandbox, nullptr);
    FreshUserKey settingsKey{kSettingsKeyPath};
    const std::wstring name = L"sandbox-check-" + std::to_wstring(::GetCurrentProcessId());
    const DWORD one = 1;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name.c_str(), REG_DWORD, &one,
                                sizeof(one)),
              ERROR_SUCCESS);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kSettingsKeyPath, name));
    EXPECT_TRUE(
        ValueExists(sandbox->RealUserSoftware(), sandbox->InScratchHive(kSettingsKeyPath), name));
    EXPECT_FALSE(ValueExists(sandbox->RealUserSoftware(),
                             UserSettingsSandbox::InRealHive(kSettingsKeyPath), name))
        << "written into the user's own settings key";
}

TEST(SettingsSandbox, TheSendToShortcutLiesInTheSandbox) {
    const UserSettingsSandbox* sandbox = UserSettingsSandbox::Active();
    ASSERT_NE(sandbox, nullptr);
    EXPECT_EQ(ComposeSendToLinkPath(), SendToLinkPathIn(sandbox->SendToFolder()));
}

}  // namespace
