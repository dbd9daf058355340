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

std::wstring AboutText() {
    return L"Varudodi by Veriko\r\n"
           L"veriko@example.com\r\n"
           L"\r\n"
           L"功能特点：\r\n"
           L"* 采用并行计算，提高计算速度\r\n"
           L"* 支持多个文件或文件夹拖放操作\r\n"
           L"* 支持参数启动(参数为一个或多个文件或文件夹路径)\r\n"
           L"* 支持保存个人设置(默认保存在注册表，如果存在同名ini文件，则保存在ini文件)\r\n";
}
