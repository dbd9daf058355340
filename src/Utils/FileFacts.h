#pragma once
// The facts about a file that the report lines need from the platform. Each
// gives nothing when the platform cannot tell.

#include <cstdint>
#include <optional>
#include <string>

#include "ByteSource.h"
#include "DateTimeText.h"
#include "FileVersion.h"
#include "LocaleSettings.h"
#include "ReportFields.h"

// Short, human-readable size text ("1.17 MB"), the platform's own where it has one.
std::wstring ShortSizeText(std::int64_t size, const LocaleSettings& settings);

// The file version from the fixed part of the file's version resource.
std::optional<FileVersion> ReadFileVersion(const std::wstring& path);
// The same for a file the caller holds open as `open`: whatever can be told
// from its content is read through `open` instead of opening it again.
std::optional<FileVersion> ReadFileVersion(const std::wstring& path, const ByteSource& open);

// The last-write time of an open file as local calendar fields.
std::optional<CalendarTime> ReadLastWriteLocalTime(NativeFileHandle file);
