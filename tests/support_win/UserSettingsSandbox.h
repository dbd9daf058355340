#pragma once
// Keeps a Windows test process away from the user's own settings: the
// current user's registry hive is redirected to a scratch key of this process
// (RegOverridePredefKey), in which the shell also finds a scratch Send To
// folder, and the window's INI file lies in a scratch folder. A crashed test
// leaves a scratch key and folder behind, never a user's setting moved away.
// Every Windows suite runs inside one (UserSettingsSandbox.cpp registers it
// as a global test environment).

#include <windows.h>

#include <string>

#include "Win32Raii.h"

class UserSettingsSandbox {
  public:
    UserSettingsSandbox();
    ~UserSettingsSandbox();
    UserSettingsSandbox(const UserSettingsSandbox&) = delete;
    UserSettingsSandbox& operator=(const UserSettingsSandbox&) = delete;

    // The sandbox of this process; null outside one.
    static const UserSettingsSandbox* Active();

    // The real HKEY_CURRENT_USER\Software, opened before the redirection (a
    // handle of the root itself would be the one the redirection replaces).
    HKEY RealUserSoftware() const { return realSoftware_.Get(); }
    // A path under HKEY_CURRENT_USER ("Software\\..."), as a path under
    // RealUserSoftware(): in the real hive, or in the scratch key that
    // stands for HKEY_CURRENT_USER in the sandbox.
    static std::wstring InRealHive(const std::wstring& userPath);
    std::wstring InScratchHive(const std::wstring& userPath) const;
    // The Send To folder the shell reports inside the sandbox.
    const std::wstring& SendToFolder() const { return sendTo_; }
    // The scratch folder; the Send To folder lies inside it.
    const std::wstring& Folder() const { return folder_; }
    // A program path in the scratch folder: the window's settings use the
    // INI file beside it.
    std::wstring ProgramPath() const { return folder_ + L"\\Varudodi.exe"; }

  private:
    std::wstring scratchKeyPath_;
    std::wstring folder_;
    std::wstring sendTo_;
    UniqueRegKey realSoftware_;
    UniqueRegKey scratch_;
};

// Removes a key under HKEY_CURRENT_USER now and at the end of the test, so
// that the test starts and ends without it. Only inside the sandbox: outside
// one it fails the test instead of touching the user's key.
class FreshUserKey {
  public:
    explicit FreshUserKey(std::wstring path);
    ~FreshUserKey();
    FreshUserKey(const FreshUserKey&) = delete;
    FreshUserKey& operator=(const FreshUserKey&) = delete;

  private:
    std::wstring path_;
};

// Deletes a file now and at the end of the test; only inside the sandbox's
// scratch folder or Send To folder.
class FreshFile {
  public:
    explicit FreshFile(std::wstring path);
    ~FreshFile();
    FreshFile(const FreshFile&) = delete;
    FreshFile& operator=(const FreshFile&) = delete;

  private:
    std::wstring path_;
};
