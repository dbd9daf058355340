#pragma once
// The settings stores of an executable: the INI file named after it when that
// file exists, otherwise the registry key of the current user.

#include <optional>
#include <string>

#include "IniStoreWin32.h"
#include "RegistryStoreWin32.h"
#include "SettingsStores.h"

class SettingsStoresWin32 final : public SettingsStores {
  public:
    // The stores of the running executable. Its path is looked up on first
    // use, inside the load or save, so that a failure there is the load's or
    // the save's and constructing the stores cannot fail.
    SettingsStoresWin32() noexcept = default;
    explicit SettingsStoresWin32(std::wstring executablePath);

    bool IniFileExists() override;
    IniStore& Ini() override;
    RegistryStore& Registry() override { return registry_; }

  private:
    IniStoreWin32& IniStoreOfExecutable();

    std::optional<std::wstring> executablePath_;
    std::optional<IniStoreWin32> ini_;
    RegistryStoreWin32 registry_;
};

// The full path of the running executable.
std::wstring CurrentExecutablePath();

// True when a file (not a folder) exists at the path.
bool FileExistsAt(const std::wstring& path);
