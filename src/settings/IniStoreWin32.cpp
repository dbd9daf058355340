#include "IniStoreWin32.h"

#include <windows.h>

#include <vector>

#include "AppError.h"
#include "Win32Check.h"

std::wstring IniStoreWin32::ReadText(const std::wstring& section, const std::wstring& key) {
    // The function truncates silently and then returns size - 1: grow until
    // the whole text fits.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"",
                                                      buffer.data(), size, path_.c_str());
        if (length + 1 < size) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

void IniStoreWin32::WriteText(const std::wstring& section, const std::wstring& key,
                              const std::wstring& value) {
    CheckWin32(
        WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str()));
}
