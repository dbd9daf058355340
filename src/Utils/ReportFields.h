#pragma once
// The detail lines of a file's report block. Each line formatter returns one
// line ending in CR LF, or the empty text when the fact is not available.

#include <cstdint>
#include <string>

class ByteSource;
struct LocaleSettings;

#ifdef _WIN32
using NativeFileHandle = void*;  // HANDLE
#else
using NativeFileHandle = int;  // file descriptor
#endif

// The label the name line begins with; checksum lists take names from it.
inline constexpr const wchar_t* kFileNameLabel = L"文件名称: ";

std::wstring FormatFileNameLine(const std::wstring& path, bool fullPath);
std::wstring FormatFileSizeLine(std::int64_t size);
std::wstring FormatFileVersionLine(const std::wstring& path);
// The same for a file held open as `open`, which it reads through.
std::wstring FormatFileVersionLine(const std::wstring& path, const ByteSource& open);
std::wstring FormatFileTimeLine(NativeFileHandle file);
std::wstring FormatSpeed(std::int64_t bytes, std::int64_t elapsedMs);
// The same with the separators of a snapshot the caller already holds, so
// that a line with two numbers shows one locale's separator in both.
std::wstring FormatSpeed(std::int64_t bytes, std::int64_t elapsedMs, const LocaleSettings& locale);
