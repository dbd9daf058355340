#pragma once

#include <string>
#include <string_view>

// The INI file that belongs to an executable: its path with the extension (the
// file name from its last dot on) replaced by ".ini", or ".ini" appended when
// the file name has no dot. Dots in folder names do not count.
std::wstring IniPathForExecutable(std::wstring_view executablePath);
