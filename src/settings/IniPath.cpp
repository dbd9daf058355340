#include "IniPath.h"

std::wstring IniPathForExecutable(std::wstring_view executablePath) {
    const std::size_t separator = executablePath.find_last_of(L"\\/:");
    const std::size_t nameStart = separator == std::wstring_view::npos ? 0 : separator + 1;
    const std::size_t dot = executablePath.rfind(L'.');
    const bool hasExtension = dot != std::wstring_view::npos && dot >= nameStart;
    std::wstring path(hasExtension ? executablePath.substr(0, dot) : executablePath);
    path += L".ini";
    return path;
}
