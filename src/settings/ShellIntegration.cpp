#include "ShellIntegration.h"

std::wstring ContextMenuCommandLine(std::wstring_view executablePath) {
    std::wstring commandLine = L"\"";
    commandLine += executablePath;
    commandLine += L"\" \"%1\"";
    return commandLine;
}

std::wstring SendToLinkPathIn(std::wstring_view sendToFolder) {
    if (sendToFolder.empty()) return {};
    std::wstring path(sendToFolder);
    path += L'\\';
    path += kSendToLinkName;
    return path;
}

std::wstring FolderPartOf(std::wstring_view path) {
    const std::size_t last = path.find_last_of(L"\\:");
    if (last == std::wstring_view::npos) return {};
    return std::wstring(path.substr(0, last + 1));
}
