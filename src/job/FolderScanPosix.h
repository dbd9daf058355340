#pragma once
// Conversion between the program's wide paths and POSIX byte paths. Names
// are taken as UTF-8; a byte that is not part of valid UTF-8 is carried as
// the code point U+DC00 plus the byte, so every name read from a folder
// converts back to exactly the same bytes.

#include <string>

std::string ToNativePath(const std::wstring& path);
std::wstring FromNativeName(const std::string& name);
