#include "FileApiPath.h"

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool HasOwnPrefix(const std::wstring& path) {
    return StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\");
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path, const TFullPathOf& fullPathOf) {
    if (HasOwnPrefix(path)) return path;
    const std::optional<std::wstring> full = fullPathOf(path);
    if (!full || full->size() < kExtendedPathFrom) return path;
    if (HasOwnPrefix(*full)) return *full;
    if (StartsWith(*full, L"\\\\")) return L"\\\\?\\UNC\\" + full->substr(2);
    return L"\\\\?\\" + *full;
}
