#pragma once
// The two places the settings live: an INI file beside the executable and a
// registry key of the current user. Load and save are written once against
// these interfaces; the Win32 classes implement them over the platform.
//
// Errors are reported by throwing; LoadSaveSettings catches them.

#include <cstdint>
#include <memory>
#include <string>

class IniStore {
  public:
    virtual ~IniStore() = default;
    // The text of a key; a missing section or key reads as the empty text.
    virtual std::wstring ReadText(const std::wstring& section, const std::wstring& key) = 0;
    // Adds or replaces one key and keeps the rest of the file. Throws on failure.
    virtual void WriteText(const std::wstring& section, const std::wstring& key,
                           const std::wstring& value) = 0;
};

// An open settings key; the destructor closes it.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;
    virtual bool ValueExists(const std::wstring& name) = 0;
    // Throws when the value is missing, is not a REG_DWORD or is longer than
    // four bytes.
    virtual std::uint32_t ReadDword(const std::wstring& name) = 0;
    // Throws when the value cannot be written.
    virtual void WriteDword(const std::wstring& name, std::uint32_t value) = 0;
};

class RegistryStore {
  public:
    virtual ~RegistryStore() = default;
    // Null when the key cannot be opened, e.g. before the first save.
    virtual std::unique_ptr<RegistryKey> OpenForRead() = 0;
    // Opens the key, creating it when missing; null when neither works.
    virtual std::unique_ptr<RegistryKey> OpenOrCreateForWrite() = 0;
};

// Decides, anew for every load and save, which of the two stores is used:
// the INI store exactly when the INI file exists.
class SettingsStores {
  public:
    virtual ~SettingsStores() = default;
    virtual bool IniFileExists() = 0;
    virtual IniStore& Ini() = 0;
    virtual RegistryStore& Registry() = 0;
};
