#include "UserSettingsSandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "Win32Check.h"

namespace {

const UserSettingsSandbox* activeSandbox = nullptr;

constexpr const wchar_t* kShellFolders[] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
};

UniqueRegKey CreateKey(HKEY parent, const std::wstring& path) {
    UniqueRegKey key;
    CheckStatus(::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  key.Put(), nullptr),
                L"RegCreateKeyExW: ");
    return key;
}

void SetString(HKEY key, const wchar_t* name, DWORD type, const std::wstring& value) {
    CheckStatus(::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                L"RegSetValueExW: ");
}

bool Below(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() + 1 &&
           _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0 &&
           path[folder.size()] == L'\\';
}

class SandboxEnvironment final : public testing::Environment {
  public:
    void SetUp() override { sandbox_ = std::make_unique<UserSettingsSandbox>(); }
    void TearDown() override { sandbox_.reset(); }

  private:
    std::unique_ptr<UserSettingsSandbox> sandbox_;
};

// Registered when the suite starts, before any test touches a setting.
[[maybe_unused]] testing::Environment* const kSandboxEnvironment =
    testing::AddGlobalTestEnvironment(new SandboxEnvironment);

}  // namespace

UserSettingsSandbox::UserSettingsSandbox() {
    const std::wstring id = std::to_wstring(::GetCurrentProcessId());
    scratchKeyPath_ = L"Software\\Varudodi tests\\" + id;
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0) throw std::runtime_error("no temporary folder");
    folder_ = std::wstring(temp) + L"varudodi-user-" + id;
    sendTo_ = folder_ + L"\\SendTo";
    std::filesystem::create_directories(sendTo_);

    CheckStatus(
        ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_ALL_ACCESS, realSoftware_.Put()),
        L"RegOpenKeyExW: ");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchKeyPath_.c_str());  // a crashed run's, same id
    scratch_ = CreateKey(HKEY_CURRENT_USER, scratchKeyPath_);
    // The shell reads the user's folders from the hive it is given.
    for (const wchar_t* shellFolders : kShellFolders) {
        const UniqueRegKey key = CreateKey(scratch_.Get(), shellFolders);
        SetString(key.Get(), L"SendTo", REG_EXPAND_SZ, sendTo_);
    }
    CheckStatus(::RegOverridePredefKey(HKEY_CURRENT_USER, scratch_.Get()),
                L"RegOverridePredefKey: ");
    activeSandbox = this;
}

UserSettingsSandbox::~UserSettingsSandbox() {
    activeSandbox = nullptr;
    // Back to the real hive, then the scratch key and folder go.
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    scratch_.Reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchKeyPath_.c_str());
    // Fails while another run's key is still there, which is as it should be.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Varudodi tests");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::wstring UserSettingsSandbox::InRealHive(const std::wstring& userPath) {
    constexpr std::wstring_view kSoftware = L"Software\\";
    if (userPath.size() <= kSoftware.size() ||
        _wcsnicmp(userPath.c_str(), kSoftware.data(), kSoftware.size()) != 0) {
        throw std::invalid_argument("not a path under HKEY_CURRENT_USER\\Software");
    }
    return userPath.substr(kSoftware.size());
}

std::wstring UserSettingsSandbox::InScratchHive(const std::wstring& userPath) const {
    return InRealHive(scratchKeyPath_) + L"\\" + userPath;
}

const UserSettingsSandbox* UserSettingsSandbox::Active() {
    return activeSandbox;
}

FreshUserKey::FreshUserKey(std::wstring path) : path_(std::move(path)) {
    if (!UserSettingsSandbox::Active()) {
        ADD_FAILURE() << "a user key is removed only inside the settings sandbox";
        path_.clear();
        return;
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

FreshUserKey::~FreshUserKey() {
    if (!path_.empty() && UserSettingsSandbox::Active()) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
}

FreshFile::FreshFile(std::wstring path) : path_(std::move(path)) {
    const UserSettingsSandbox* sandbox = UserSettingsSandbox::Active();
    if (!sandbox || !Below(path_, sandbox->Folder())) {
        ADD_FAILURE() << "a file is removed only inside the settings sandbox's folder";
        path_.clear();
        return;
    }
    ::DeleteFileW(path_.c_str());
}

FreshFile::~FreshFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
}
