// File facts through the shell's size text, the version API and the file
// time services.
#include <windows.h>
#include <shlwapi.h>
#include <winver.h>

#include <cstring>
#include <vector>

#include "FileApiPath.h"
#include "FileFacts.h"
#include "Win32Raii.h"

std::wstring ShortSizeText(std::int64_t size, const LocaleSettings&) {
    wchar_t buffer[260] = {};
    if (StrFormatByteSizeW(size, buffer, 260) == nullptr) {
        return {};
    }
    return buffer;
}

namespace {

// Version resources live only in executable images, which begin with "MZ",
// and in their LZ-compressed form ("SZDD"), which Wine's version API expands.
// The API maps a file as an image before it looks (half a millisecond a file
// under Wine); the first two bytes tell much sooner that a file holds none.
bool HeadRulesOutVersion(const char (&head)[2]) {
    const bool image = head[0] == 'M' && head[1] == 'Z';
    const bool compressed = head[0] == 'S' && head[1] == 'Z';
    return !image && !compressed;
}

// The quick look through a handle of its own. Whatever cannot be read this
// way is left to the API.
bool CannotHoldVersion(const std::wstring& apiPath) {
    const UniqueFile file(CreateFileW(apiPath.c_str(), FILE_READ_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Only a disk file answers a read at once; a pipe or a device might wait.
    if (file.Get() == INVALID_HANDLE_VALUE || GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return false;
    }
    char head[2] = {};
    DWORD got = 0;
    if (!ReadFile(file.Get(), head, sizeof head, &got, nullptr)) {
        return false;
    }
    return got < sizeof head || HeadRulesOutVersion(head);
}

std::optional<FileVersion> VersionFromApi(const std::wstring& apiPath) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(apiPath.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> info(size);
    if (!GetFileVersionInfoW(apiPath.c_str(), 0, size, info.data())) {
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

}  // namespace

std::optional<FileVersion> ReadFileVersion(const std::wstring& path) {
    const std::wstring apiPath = ApiPath(path);
    if (CannotHoldVersion(apiPath)) {
        return std::nullopt;
    }
    return VersionFromApi(apiPath);
}

std::optional<FileVersion> ReadFileVersion(const std::wstring& path, const ByteSource& open) {
    char head[2] = {};
    if (open.ReadAt(0, head, sizeof head) && HeadRulesOutVersion(head)) {
        return std::nullopt;
    }
    return VersionFromApi(ApiPath(path));
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
