#pragma once
// File-type filters of the open and save dialogs.

#include <string>
#include <string_view>

// Turns "description|pattern|description|pattern" into the system's form:
// every part ended by a NUL, and one more NUL after the last.
std::wstring SystemDialogFilter(std::wstring_view filter);
