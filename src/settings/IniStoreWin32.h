#pragma once
// The INI store through the platform's profile functions. Reading never
// creates the file; the caller writes only to a file that exists.

#include <string>

#include "SettingsStores.h"

class IniStoreWin32 final : public IniStore {
  public:
    explicit IniStoreWin32(std::wstring path) : path_(std::move(path)) {}

    std::wstring ReadText(const std::wstring& section, const std::wstring& key) override;
    void WriteText(const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) override;

    const std::wstring& Path() const { return path_; }

  private:
    std::wstring path_;
};
