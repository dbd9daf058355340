#include "RegistryStoreWin32.h"

#include <windows.h>

#include "AppError.h"
#include "RegistryKeyWin32.h"
#include "Win32Check.h"

namespace {

class RegistryKeyWin32 final : public RegistryKey {
  public:
    explicit RegistryKeyWin32(UniqueRegKey key) : key_(std::move(key)) {}

    bool ValueExists(const std::wstring& name) override {
        return RegQueryValueExW(key_.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

    std::uint32_t ReadDword(const std::wstring& name) override {
        // Zero-filled, so that a REG_DWORD stored with fewer than four bytes
        // reads as the number those bytes hold.
        DWORD value = 0;
        DWORD type = REG_NONE;
        DWORD size = sizeof(value);
        const LSTATUS status = RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(&value), &size);
        CheckStatus(status);  // also > 4 bytes
        if (type != REG_DWORD) throw AppError(ERROR_INVALID_DATATYPE);
        return value;
    }

    void WriteDword(const std::wstring& name, std::uint32_t value) override {
        WriteRegDword(key_.Get(), name, value);
    }

  private:
    UniqueRegKey key_;
};

std::unique_ptr<RegistryKey> Wrap(UniqueRegKey key) {
    if (!key) return nullptr;
    return std::make_unique<RegistryKeyWin32>(std::move(key));
}

}  // namespace

std::unique_ptr<RegistryKey> RegistryStoreWin32::OpenForRead() {
    return Wrap(OpenRegKey(HKEY_CURRENT_USER, keyPath_, KEY_READ));
}

std::unique_ptr<RegistryKey> RegistryStoreWin32::OpenOrCreateForWrite() {
    return Wrap(CreateRegKey(HKEY_CURRENT_USER, keyPath_));
}
