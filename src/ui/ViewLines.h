#pragma once
// The result view's text as report lines. The view stores each line break as
// one character (CR); the clipboard and saved files get CR LF.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The report's own lines of the view's text, without their breaks. CR LF, a
// lone CR and a lone LF each end one line. A text ending in a break has no
// empty line after it; the empty text has no lines.
std::vector<std::wstring_view> SplitViewLines(std::wstring_view text);

// Every line of the view's text followed by CR LF, the last one included.
std::wstring CopyAllText(std::wstring_view viewText);

// The view's text with each line break written as CR LF; nothing is added
// at the end.
std::wstring WithCrLfLineBreaks(std::wstring_view viewText);

// Length of a text in view positions, where each line break (CR LF included)
// counts as one character.
std::size_t ViewCharCount(std::wstring_view text);
