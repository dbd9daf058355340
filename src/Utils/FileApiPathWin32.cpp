#include <windows.h>

#include <vector>

#include "FileApiPath.h"

namespace {

std::optional<std::wstring> FullPathName(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::vector<wchar_t> buffer(needed);
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) return std::nullopt;
    return std::wstring(buffer.data(), length);
}

}  // namespace

std::wstring ApiPath(const std::wstring& path) {
    return ExtendedLengthPath(path, FullPathName);
}
