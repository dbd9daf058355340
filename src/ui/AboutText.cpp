#include "AboutBox.h"

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
