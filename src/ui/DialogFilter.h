#pragma once
// File-type filters of the open and save dialogs, written as
// "description|pattern|description|pattern".

#include <string>
#include <string_view>
#include <vector>

// One file type of a filter.
struct TFilterEntry {
    std::wstring Description;
    std::wstring Pattern;
    bool operator==(const TFilterEntry&) const = default;
};

// The filter's file types in order. A description without a pattern (an odd
// number of parts) is left out, as the classic dialog leaves it out.
std::vector<TFilterEntry> DialogFilterEntries(std::wstring_view filter);

// Turns the filter into the classic dialog's form: every part ended by a
// NUL, and one more NUL after the last.
std::wstring SystemDialogFilter(std::wstring_view filter);
