#pragma once
// The registry store: one key under HKEY_CURRENT_USER holding REG_DWORD values.

#include <string>

#include "SettingsStores.h"

inline constexpr const wchar_t* kSettingsKeyPath = L"SOFTWARE\\Veriko";

class RegistryStoreWin32 final : public RegistryStore {
  public:
    explicit RegistryStoreWin32(std::wstring keyPath = kSettingsKeyPath)
        : keyPath_(std::move(keyPath)) {}

    std::unique_ptr<RegistryKey> OpenForRead() override;
    std::unique_ptr<RegistryKey> OpenOrCreateForWrite() override;

  private:
    std::wstring keyPath_;
};
