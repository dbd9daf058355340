#pragma once
// Saving the results as a checksum list: the save dialog's file types and
// the list written from the blocks the result view shows.

#include <optional>
#include <string>
#include <string_view>

#include "ChecksumList.h"

// The save dialog's filter: plain text first (the default), then one type
// per list format.
extern const wchar_t* const kSaveDialogFilter;

// The algorithm of the list type at a 1-based filter index of the save
// dialog; none for the plain text types.
std::optional<ChecksumAlgorithm> ListAlgorithmOfSaveType(int filterIndex);

struct SavedChecksumList {
    std::string Bytes;  // UTF-8 without a byte-order mark
    int Entries = 0;
};

// A list of `algorithm` for the file at `listPath`, from the view's text:
// one entry for each block that has a name line and a line of that
// algorithm, in view order. Blocks are runs of lines between empty lines;
// a name line also begins a new block.
SavedChecksumList ChecksumListFromReport(std::wstring_view viewText, ChecksumAlgorithm algorithm,
                                         std::wstring_view listPath);

// What the message box says when the view has no digest of the algorithm.
std::wstring NoDigestsToSaveMessage(ChecksumAlgorithm algorithm);
