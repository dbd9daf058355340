#include "ChecksumListPaths.h"

#include <cwctype>
#include <vector>

#include "FileApiPath.h"

namespace {

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool HasDrive(std::wstring_view path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':';
}

// End of the part after `start` up to the next separator.
std::size_t PartEnd(std::wstring_view path, std::size_t start) {
    while (start < path.size() && !IsPathSeparator(path[start])) ++start;
    return start;
}

// Length of the root of a path with "\" separators: "X:\", "\\server\share\",
// "\\?\X:\", "\\?\UNC\server\share\", "\"; 0 for a relative path.
std::size_t RootLength(std::wstring_view path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        std::size_t end = PartEnd(path, PartEnd(path, 8) + 1);
        return end < path.size() ? end + 1 : end;
    }
    if (path.rfind(L"\\\\?\\", 0) == 0) return 4 + RootLength(path.substr(4));
    if (path.rfind(L"\\\\", 0) == 0) {
        std::size_t end = PartEnd(path, PartEnd(path, 2) + 1);
        return end < path.size() ? end + 1 : end;
    }
    if (HasDrive(path)) return path.size() > 2 && path[2] == L'\\' ? 3 : 2;
    if (!path.empty() && path[0] == L'\\') return 1;
    return 0;
}

// Resolves "." and ".." and drops empty parts after the root.
std::wstring Normalise(std::wstring_view path) {
    const std::size_t root = RootLength(path);
    std::vector<std::wstring_view> parts;
    for (std::size_t start = root; start <= path.size();) {
        const std::size_t end = PartEnd(path, start);
        const std::wstring_view part = path.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::wstring result(path.substr(0, root));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result.push_back(L'\\');
        result += parts[i];
    }
    return result;
}

std::wstring WithBackslashes(std::wstring_view path) {
    std::wstring result(path);
    for (wchar_t& c : result) {
        if (c == L'/') c = L'\\';
    }
    return result;
}

// The list's folder with its closing separator.
std::wstring_view FolderOf(std::wstring_view listPath) {
    std::size_t end = listPath.size();
    while (end > 0 && !IsPathSeparator(listPath[end - 1])) --end;
    return listPath.substr(0, end);
}

bool SameCharacter(wchar_t a, wchar_t b) {
    if (IsPathSeparator(a) && IsPathSeparator(b)) return true;
    return std::towlower(static_cast<std::wint_t>(a)) == std::towlower(static_cast<std::wint_t>(b));
}

}  // namespace

bool IsAbsoluteListPath(std::wstring_view path) {
    if (!path.empty() && IsPathSeparator(path[0])) return true;
    return HasDrive(path) && path.size() > 2 && IsPathSeparator(path[2]);
}

std::wstring ResolveEntryPath(std::wstring_view listPath, std::wstring_view name) {
    const std::wstring entry = WithBackslashes(name);
    if (IsAbsoluteListPath(entry)) {
        // "\name" (not "\\server"): the root of the list's drive.
        const bool onListsDrive = entry[0] == L'\\' && (entry.size() == 1 || entry[1] != L'\\');
        if (!onListsDrive) return Normalise(entry);
        const std::wstring list = WithBackslashes(listPath);
        const std::size_t root = RootLength(list);
        const std::wstring_view drive = std::wstring_view(list).substr(
            0, root > 0 && list[root - 1] == L'\\' ? root - 1 : root);
        return Normalise(std::wstring(drive) + entry);
    }
    return Normalise(WithBackslashes(FolderOf(listPath)) + entry);
}

std::wstring NameInList(std::wstring_view listPath, std::wstring_view path) {
    const std::wstring_view folder = FolderOf(listPath);
    if (!IsAbsoluteListPath(path) || folder.empty() || path.size() <= folder.size()) {
        return std::wstring(path);
    }
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (!SameCharacter(folder[i], path[i])) return std::wstring(path);
    }
    std::wstring relative(path.substr(folder.size()));
    for (wchar_t& c : relative) {
        if (c == L'\\') c = L'/';
    }
    return relative;
}

namespace {

// IsNetworkPath of a path whose separators are "\\" already.
bool IsNetworkBackslashPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) {
        std::wstring upper = path.substr(4, 4);
        for (wchar_t& c : upper)
            c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
        return upper == L"UNC\\";
    }
    // "\\.\" names the local device namespace.
    return path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\.\\", 0) != 0;
}

}  // namespace

bool IsNetworkPath(std::wstring_view path) {
    return IsNetworkBackslashPath(WithBackslashes(path));
}

EntryPathKind KindOfEntryPath(std::wstring_view path) {
    const std::wstring resolved = WithBackslashes(path);
    if (resolved.rfind(L"\\\\.\\", 0) == 0) return EntryPathKind::Device;
    if (resolved.rfind(L"\\\\?\\", 0) == 0 && !IsNetworkBackslashPath(resolved) &&
        !HasDrive(std::wstring_view(resolved).substr(4))) {
        return EntryPathKind::Device;
    }
    for (std::size_t start = 0; start <= resolved.size();) {
        const std::size_t end = PartEnd(resolved, start);
        if (IsReservedDeviceName(std::wstring_view(resolved).substr(start, end - start)))
            return EntryPathKind::Device;
        start = end + 1;
    }
    return IsNetworkBackslashPath(resolved) ? EntryPathKind::Network : EntryPathKind::File;
}
