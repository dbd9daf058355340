#include "HandOverPayload.h"

#include <algorithm>

#include "FileApiPath.h"

namespace {

constexpr std::size_t kCountBytes = 4;

// On Windows wchar_t is one UTF-16 unit; elsewhere only the Basic
// Multilingual Plane is one.
bool FitsOneUnit(std::uint32_t c) {
    return c <= 0xFFFF;
}

bool IsAcceptablePath(std::wstring_view path) {
    return !path.empty() && path.size() <= kHandOverMaxPathUnits && IsAbsoluteWindowsPath(path) &&
           std::none_of(path.begin(), path.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
}

}  // namespace

bool IsAbsoluteWindowsPath(std::wstring_view path) {
    if (path.size() >= 3 && path[1] == L':' && IsPathSeparator(path[2])) {
        const wchar_t drive = path[0];
        return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    }
    // "\\server\share" and "\\?\...", "\\.\...": two separators and a name.
    return path.size() >= 3 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]) &&
           !IsPathSeparator(path[2]);
}

std::vector<std::uint8_t> EncodeHandOver(const std::vector<std::wstring>& paths) {
    std::vector<std::uint8_t> payload(kCountBytes);
    for (const std::wstring& path : paths) {
        if (!IsAcceptablePath(path)) return {};
        for (const wchar_t c : path) {
            if (!FitsOneUnit(static_cast<std::uint32_t>(c))) return {};
            payload.push_back(static_cast<std::uint8_t>(c & 0xFF));
            payload.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        }
        payload.push_back(0);
        payload.push_back(0);
        if (payload.size() > kHandOverMaxBytes) return {};
    }
    if (paths.empty()) return {};
    const auto units = static_cast<std::uint32_t>((payload.size() - kCountBytes) / 2);
    for (std::size_t i = 0; i < kCountBytes; ++i) {
        payload[i] = static_cast<std::uint8_t>((units >> (8 * i)) & 0xFF);
    }
    return payload;
}

std::optional<std::vector<std::wstring>> DecodeHandOver(const void* data, std::size_t size) {
    if (!data || size < kCountBytes + 2 || size > kHandOverMaxBytes) return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < kCountBytes; ++i) count |= std::uint32_t{bytes[i]} << (8 * i);
    // The count is checked against the size that arrived, never trusted alone.
    if ((size - kCountBytes) % 2 != 0 || count != (size - kCountBytes) / 2) return std::nullopt;
    const auto unitAt = [bytes](std::size_t index) {
        const std::size_t at = kCountBytes + 2 * index;
        return static_cast<wchar_t>(bytes[at] | (bytes[at + 1] << 8));
    };
    if (unitAt(count - 1) != L'\0') return std::nullopt;

    std::vector<std::wstring> paths;
    std::wstring path;
    for (std::size_t i = 0; i < count; ++i) {
        const wchar_t c = unitAt(i);
        if (c != L'\0') {
            if (path.size() == kHandOverMaxPathUnits) return std::nullopt;
            path.push_back(c);
            continue;
        }
        if (!IsAcceptablePath(path)) return std::nullopt;
        paths.push_back(std::move(path));
        path.clear();
    }
    return paths;
}
