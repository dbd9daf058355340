#pragma once
// The form in which a stored path is handed to the file APIs. Windows limits
// plain paths to MAX_PATH characters unless the system-wide long-path
// setting is on; a path in the extended-length form ("\\?\C:\..." or
// "\\?\UNC\server\share\...") may reach 32,767 characters. That form is
// taken as it is, without the usual normalisation, so it is formed from the
// full path. The queue, the view and the report keep the path as the user
// gave it; only the call into the file API sees the extended form.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Full paths from this length on take the extended form: the folder APIs
// stop 12 characters short of MAX_PATH (260), to leave room for an 8.3 name.
inline constexpr std::size_t kExtendedPathFrom = 260 - 12;

// The full, normalised path of `path` (resolved against the current folder),
// or nothing when it cannot be formed.
using TFullPathOf = std::function<std::optional<std::wstring>(const std::wstring& path)>;

// "\\" and "/" both separate the parts of a Windows path.
inline bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// True when Windows takes a path ending in this name for a device: CON, PRN,
// AUX, NUL, COM1 to COM9, LPT1 to LPT9 (also with the superscript digits
// 1 to 3), CONIN$ and CONOUT$, in any case, with or without an extension
// and with blanks before it ("nul .txt").
bool IsReservedDeviceName(std::wstring_view name);

// `path` unchanged when its full path is shorter than kExtendedPathFrom, when
// it already has the extended or the device prefix ("\\?\", "\\.\") or when
// no full path can be formed; otherwise the full path with the extended
// prefix, "\\?\UNC\" replacing the leading "\\" of a server path.
// A path whose last name is reserved for a device but which names a folder
// before it ("D:\\x\\COM1.txt", as a folder listing finds a file that other
// systems wrote) takes the extended form whatever its length: in that form
// the name is the file's, not the device's.
std::wstring ExtendedLengthPath(const std::wstring& path, const TFullPathOf& fullPathOf);

#ifdef _WIN32
// ExtendedLengthPath with the full path from GetFullPathNameW.
std::wstring ApiPath(const std::wstring& path);
#endif
