#pragma once
// The settings stores of a running executable: the INI file named after it
// when that file exists, otherwise the registry key of the current user.

#include <string>

#include "IniStoreWin32.h"
#include "RegistryStoreWin32.h"
#include "SettingsStores.h"

class SettingsStoresWin32 final : public SettingsStores {
  public:
    explicit SettingsStoresWin32(const std::wstring& executablePath);

    bool IniFileExists() override;
    IniStore& Ini() override { return ini_; }
    RegistryStore& Registry() override { return registry_; }

  private:
    std::wstring iniPath_;
    IniStoreWin32 ini_;
    RegistryStoreWin32 registry_;
};

// The full path of the running executable.
std::wstring CurrentExecutablePath();

// True when a file (not a folder) exists at the path.
bool FileExists(const std::wstring& path);
