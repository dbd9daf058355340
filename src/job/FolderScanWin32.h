#pragma once
// Windows side of the folder scan.

#include <string>

// The form in which `path` is handed to the file APIs: unchanged while it is
// short enough for them, otherwise made absolute and given the extended-length
// prefix ("\\?\" or "\\?\UNC\"), so that deep trees and long dropped paths
// work without the system-wide long-path setting. The path the queue stores
// is never changed.
std::wstring ApiPath(const std::wstring& path);
