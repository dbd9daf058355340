// File facts through the shell's size text, the version API and the file
// time services.
#include <windows.h>
#include <shlwapi.h>
#include <winver.h>

#include <cstring>
#include <vector>

#include "FileFacts.h"

std::wstring ShortSizeText(std::int64_t size, const LocaleSettings&) {
    wchar_t buffer[260] = {};
    if (StrFormatByteSizeW(size, buffer, 260) == nullptr) {
        return {};
    }
    return buffer;
}

std::optional<FileVersion> ReadFileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> info(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data())) {
        return std::nullopt;
    }
    void* root = nullptr;
    UINT rootSize = 0;
    if (!VerQueryValueW(info.data(), L"\\", &root, &rootSize) || root == nullptr ||
        rootSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root, sizeof fixed);
    if (fixed.dwSignature != VS_FFI_SIGNATURE) {
        return std::nullopt;
    }
    return FileVersionFromWords(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
}

std::optional<CalendarTime> ReadLastWriteLocalTime(NativeFileHandle file) {
    FILETIME created;
    FILETIME accessed;
    FILETIME written;
    FILETIME local;
    SYSTEMTIME fields;
    if (!GetFileTime(static_cast<HANDLE>(file), &created, &accessed, &written) ||
        !FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &fields)) {
        return std::nullopt;
    }
    return CalendarTime{fields.wYear, fields.wMonth,  fields.wDay,
                        fields.wHour, fields.wMinute, fields.wSecond};
}
