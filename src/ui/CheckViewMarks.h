#pragma once
// How the result view shows a check's outcome at a glance: each entry's
// verdict green when it matches and red when it differs, the first line of a
// block for an entry that could not be read or was not opened red, the
// summary line bold. The marks are in the view only; its text, and so every
// copy, save and list, stays the report's plain text.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class TTextMark { Match, Alarm, Bold };

// A marked part of one line of a text, without the line's break.
struct TMarkedSpan {
    std::size_t Start = 0;  // UTF-16 offset into the text
    std::size_t Length = 0;
    TTextMark Mark = TTextMark::Match;
    bool operator==(const TMarkedSpan&) const = default;
};

// Appends the marks of one block of a check, as the check hands it to the
// window, to `spans`, with offsets into `block` moved on by `offset`. A block
// of a hash job gets none.
void AppendCheckBlockMarks(std::wstring_view block, std::size_t offset,
                           std::vector<TMarkedSpan>& spans);

// `text` as rich text that the view inserts at its caret: the spans (in text
// order, apart from each other) in their marks, the rest in the format of
// the insertion point, each line break (CR LF, CR or LF) a paragraph's end.
// Plain ASCII: every other character, and every character that means
// something to the rich-text reader, is written as an escape, so no text
// can change the format or add anything.
std::string MarkedTextRtf(std::wstring_view text, const std::vector<TMarkedSpan>& spans);
