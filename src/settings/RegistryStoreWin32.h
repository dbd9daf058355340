#pragma once
// The registry store: one key under HKEY_CURRENT_USER holding REG_DWORD values.

#include <string>

#include "SettingsStores.h"

inline constexpr const wchar_t* kSettingsKeyPath = L"SOFTWARE\\Veriko";

class RegistryStoreWin32 final : public RegistryStore {
  public:
    // `keyPath` must outlive the store; constructing one allocates nothing.
    explicit RegistryStoreWin32(const wchar_t* keyPath = kSettingsKeyPath) noexcept
        : keyPath_(keyPath) {}

    std::unique_ptr<RegistryKey> OpenForRead() override;
    std::unique_ptr<RegistryKey> OpenOrCreateForWrite() override;

  private:
    const wchar_t* keyPath_;
};
