#include "ReportFields.h"

#include "DateTimeText.h"
#include "FileFacts.h"
#include "LocaleSettings.h"
#include "NumberText.h"

namespace {

constexpr const wchar_t* kLineEnd = L"\r\n";

// Where the name of a file begins: after a directory or drive separator.
#ifdef _WIN32
constexpr const wchar_t* kNameSeparators = L"\\:";
#else
constexpr const wchar_t* kNameSeparators = L"\\:/";
#endif

std::wstring NameOf(const std::wstring& path) {
    const auto separator = path.find_last_of(kNameSeparators);
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring VersionLine(const std::optional<FileVersion>& version) {
    if (!version) {
        return {};
    }
    return L"文件版本: " + FileVersionText(*version) + kLineEnd;
}

}  // namespace

std::wstring FormatFileNameLine(const std::wstring& path, bool fullPath) {
    return kFileNameLabel + (fullPath ? path : NameOf(path)) + kLineEnd;
}

std::wstring FormatFileSizeLine(std::int64_t size) {
    const auto settings = CurrentLocaleSettings();
    return L"文件大小: " + ShortSizeText(size, *settings) + L" (" +
           GroupThousands(static_cast<double>(size), settings->ThousandsSeparator) + L" 字节)" +
           kLineEnd;
}

std::wstring FormatFileVersionLine(const std::wstring& path) {
    return VersionLine(ReadFileVersion(path));
}

std::wstring FormatFileVersionLine(const std::wstring& path, const ByteSource& open) {
    return VersionLine(ReadFileVersion(path, open));
}

std::wstring FormatFileTimeLine(NativeFileHandle file) {
    const auto written = ReadLastWriteLocalTime(file);
    if (!written) {
        return {};
    }
    const auto settings = CurrentLocaleSettings();
    return L"修改时间: " +
           FormatDateTimePattern(L"yyyy年mm月dd日，HH:MM:ss", *written, settings->TimeSeparator) +
           kLineEnd;
}

std::wstring FormatSpeed(std::int64_t bytes, std::int64_t elapsedMs) {
    return FormatSpeed(bytes, elapsedMs, *CurrentLocaleSettings());
}

std::wstring FormatSpeed(std::int64_t bytes, std::int64_t elapsedMs, const LocaleSettings& locale) {
    if (elapsedMs <= 1000) {
        return {};
    }
    const double megabytesPerSecond =
        static_cast<double>(bytes) / static_cast<double>(elapsedMs) / 1000.0;
    return L" (" + FixedTwoDecimals(megabytesPerSecond, locale.DecimalSeparator) + L" MB/s)";
}
