#pragma once
// Checksum lists: the files that publish digests beside downloads and
// copies (GNU "md5sum" style, BSD tagged, SFV). Reading them into entries
// and writing entries back in the GNU and SFV forms.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ChecksumAlgorithm { MD5, SHA1, SHA256, CRC32 };

struct ChecksumAlgorithmInfo {
    ChecksumAlgorithm Algorithm;
    std::uint32_t AlgId;     // the hash context's id
    const wchar_t* Name;     // as the report's digest line names it: "MD5", "SHA1", ...
    std::size_t HexDigits;   // length of its digest in hex digits
    const wchar_t* ListExt;  // extension of a list of this algorithm, without the dot
};

// The four algorithms in the report's order: MD5, SHA1, SHA256, CRC32.
const std::vector<ChecksumAlgorithmInfo>& ChecksumAlgorithms();
const ChecksumAlgorithmInfo& InfoOf(ChecksumAlgorithm algorithm);

struct ChecksumEntry {
    std::wstring Name;  // as the list gives it, unescaped
    ChecksumAlgorithm Algorithm = ChecksumAlgorithm::MD5;
    std::wstring Digest;  // lower-case hex digits
    int Line = 0;         // 1-based line of the list
};

struct ChecksumListContent {
    std::vector<ChecksumEntry> Entries;  // in list order
    int UnrecognisedCount = 0;
    std::vector<int> UnrecognisedLines;  // the first kListedUnrecognisedLines of them
};

inline constexpr std::size_t kListedUnrecognisedLines = 20;
// Longer names name no file on any file system: such lines are not entries.
inline constexpr std::size_t kLongestEntryName = 32767;

// Turns a list file's bytes into text: UTF-8 with or without a byte-order
// mark, else the system's ANSI code page through `ansiToWide`.
using AnsiDecoder = std::function<std::wstring(std::string_view)>;
std::wstring DecodeListText(std::string_view bytes, const AnsiDecoder& ansiToWide);

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsWellFormedUtf8(std::string_view bytes);

// Reads every line of a list (CR LF or LF). Empty lines and comments ("#",
// and ";" as SFV has them) are skipped; any other line that is no entry is
// counted as unrecognised. An entry's algorithm comes from its tag, else
// from the list's file name extension, else from its digest's length.
ChecksumListContent ParseChecksumList(std::wstring_view text, std::wstring_view listFileName);

// The algorithm a list's extension stands for (".md5", ".sha1", ".sha256",
// ".sfv"; any case), if any.
std::optional<ChecksumAlgorithm> AlgorithmOfListName(std::wstring_view listFileName);

// One line of a list, ended by LF: GNU binary form "<hex> *<name>" for MD5,
// SHA1 and SHA256, SFV form "<name> <hex>" for CRC32. UTF-8.
std::string FormatChecksumListLine(ChecksumAlgorithm algorithm, std::wstring_view name,
                                   std::wstring_view digest);
