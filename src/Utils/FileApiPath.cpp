#include "FileApiPath.h"

#include <algorithm>

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool HasOwnPrefix(const std::wstring& path) {
    return StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\");
}

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

std::wstring WithExtendedPrefix(const std::wstring& full) {
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The folder's full path joined to a name reserved for a device, which the
// full path of the whole would turn into the device ("\\.\COM1").
std::optional<std::wstring> ReservedNameInFolder(const std::wstring& path,
                                                 const TFullPathOf& fullPathOf) {
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !IsPathSeparator(path[nameStart - 1])) --nameStart;
    if (nameStart == 0 || !IsReservedDeviceName(std::wstring_view(path).substr(nameStart))) {
        return std::nullopt;
    }
    const std::optional<std::wstring> folder = fullPathOf(path.substr(0, nameStart));
    if (!folder || folder->empty() || HasOwnPrefix(*folder)) return std::nullopt;
    std::wstring full = *folder;
    if (!IsPathSeparator(full.back())) full.push_back(L'\\');
    full.append(path, nameStart, std::wstring::npos);
    return full;
}

}  // namespace

bool IsReservedDeviceName(std::wstring_view name) {
    // Windows ignores what follows the first dot or colon, and the blanks
    // before it.
    name = name.substr(0, std::min(name.find(L'.'), name.find(L':')));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    std::wstring upper(name);
    for (wchar_t& c : upper) c = AsciiUpper(c);
    if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL" ||
        upper == L"CONIN$" || upper == L"CONOUT$") {
        return true;
    }
    if (upper.size() != 4 || (upper.compare(0, 3, L"COM") != 0 && upper.compare(0, 3, L"LPT") != 0))
        return false;
    const wchar_t digit = upper[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
           digit == L'\u00B3';
}

std::wstring ExtendedLengthPath(const std::wstring& path, const TFullPathOf& fullPathOf) {
    if (HasOwnPrefix(path)) return path;
    if (const std::optional<std::wstring> reserved = ReservedNameInFolder(path, fullPathOf)) {
        return WithExtendedPrefix(*reserved);
    }
    const std::optional<std::wstring> full = fullPathOf(path);
    if (!full || full->size() < kExtendedPathFrom) return path;
    if (HasOwnPrefix(*full)) return *full;
    return WithExtendedPrefix(*full);
}
