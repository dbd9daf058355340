#pragma once
// UTF-8 to and from the program's wide text (UTF-16 on Windows, UTF-32
// elsewhere). Invalid sequences become U+FFFD.

#include <string>
#include <string_view>

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
