#pragma once
// Paths inside checksum lists, by the rules of Windows paths on every
// platform the core builds on: "\" and "/" both separate, "X:\", "\\server\share\"
// and "\\?\" begin absolute paths, and names compare without regard to case.

#include <string>
#include <string_view>

bool IsAbsoluteListPath(std::wstring_view path);

// The full path a list entry names: an absolute name as it is, any other
// relative to the list's folder ("\name" on the list's drive). "/" becomes
// "\", and "." and ".." parts are resolved without going above the root.
std::wstring ResolveEntryPath(std::wstring_view listPath, std::wstring_view name);

// How a list at `listPath` names the file at `path`: relative, with "/"
// between its parts, when the file lies below the list's folder; else the
// path as it is (a bare name stays a bare name).
std::wstring NameInList(std::wstring_view listPath, std::wstring_view path);

// Where a resolved entry path leads. A list from elsewhere must not make the
// program open a device (a serial port's read never returns) or connect to
// another computer, which signs in with the user's credentials.
enum class EntryPathKind {
    File,
    // "\\server\share\..." or "\\?\UNC\server\share\..."
    Network,
    // "\\.\...", a "\\?\" path that is no drive or server path
    // ("\\?\GLOBALROOT\..."), or a name reserved for a device in any folder.
    Device,
};
EntryPathKind KindOfEntryPath(std::wstring_view path);

// True for a path on another computer: "\\server\share\..." or
// "\\?\UNC\server\share\...".
bool IsNetworkPath(std::wstring_view path);
