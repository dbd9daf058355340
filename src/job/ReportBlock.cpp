#include "ReportBlock.h"

#include "NumberText.h"

std::wstring FormatFailureBlock(const wchar_t* label, const std::wstring& path,
                                const std::wstring& reason) {
    return label + path + L"\r\n错误原因：" + reason + L"\r\n";
}

void AppendDigestLine(std::wstring& text, const wchar_t* name, const std::wstring& digest) {
    text += name;
    text += L": ";
    text += digest;
    text += L"\r\n";
}

void AppendCalcTimeLine(std::wstring& text, double seconds, const std::wstring& decimalSeparator,
                        const std::wstring& speed) {
    text += L"计算时间: ";
    text += FixedTwoDecimals(seconds, decimalSeparator);
    text += L's';
    text += speed;
    text += L"\r\n";
}
