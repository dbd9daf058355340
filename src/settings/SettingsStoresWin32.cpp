#include "SettingsStoresWin32.h"

#include <windows.h>

#include <vector>

#include "AppError.h"
#include "IniPath.h"
#include "Win32Check.h"

SettingsStoresWin32::SettingsStoresWin32(std::wstring executablePath)
    : executablePath_(std::move(executablePath)) {}

IniStoreWin32& SettingsStoresWin32::IniStoreOfExecutable() {
    if (!ini_) {
        if (!executablePath_) executablePath_ = CurrentExecutablePath();
        ini_.emplace(IniPathForExecutable(*executablePath_));
    }
    return *ini_;
}

bool SettingsStoresWin32::IniFileExists() {
    return FileExistsAt(IniStoreOfExecutable().Path());
}

IniStore& SettingsStoresWin32::Ini() {
    return IniStoreOfExecutable();
}

bool FileExistsAt(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring CurrentExecutablePath() {
    // Long paths do not fit MAX_PATH: grow until the name is not truncated.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) ThrowLastError();
        if (length < size) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}
