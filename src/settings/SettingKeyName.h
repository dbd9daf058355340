#pragma once

#include <string>
#include <string_view>

// The settings key of a check box: its control name with every "CB_" removed,
// matched without regard to letter case ("CB_MD5" -> "MD5").
std::wstring SettingKeyName(std::wstring_view controlName);
