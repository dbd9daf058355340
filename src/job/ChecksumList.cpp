#include "ChecksumList.h"

#include <algorithm>

#include "HashContext.h"
#include "Utf8Text.h"

namespace {

bool IsHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool AllHex(std::wstring_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsHexDigit);
}

std::wstring LowerHex(std::wstring_view hex) {
    std::wstring lower(hex);
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'F') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return lower;
}

std::wstring_view TrimBlanksAtEnd(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return TrimBlanksAtEnd(text);
}

std::optional<ChecksumAlgorithm> AlgorithmOfLength(std::size_t hexDigits) {
    for (const ChecksumAlgorithmInfo& info : ChecksumAlgorithms()) {
        if (info.HexDigits == hexDigits) return info.Algorithm;
    }
    return std::nullopt;
}

// The list's own algorithm rules when it has one; else the digest's length.
std::optional<ChecksumAlgorithm> AlgorithmFor(std::optional<ChecksumAlgorithm> ofList,
                                              std::size_t hexDigits) {
    if (ofList) {
        if (InfoOf(*ofList).HexDigits == hexDigits) return ofList;
        return std::nullopt;
    }
    return AlgorithmOfLength(hexDigits);
}

std::optional<ChecksumAlgorithm> AlgorithmOfTag(std::wstring_view tag) {
    struct Tag {
        const wchar_t* Text;
        ChecksumAlgorithm Algorithm;
    };
    static constexpr Tag kTags[] = {
        {L"MD5", ChecksumAlgorithm::MD5},        {L"SHA1", ChecksumAlgorithm::SHA1},
        {L"SHA-1", ChecksumAlgorithm::SHA1},     {L"SHA256", ChecksumAlgorithm::SHA256},
        {L"SHA-256", ChecksumAlgorithm::SHA256}, {L"CRC32", ChecksumAlgorithm::CRC32},
    };
    for (const Tag& known : kTags) {
        if (tag == known.Text) return known.Algorithm;
    }
    return std::nullopt;
}

// The GNU escapes of a name: "\\" for a backslash, "\n" and "\r" for line
// breaks. False on any other escape.
bool Unescape(std::wstring_view escaped, std::wstring& name) {
    name.clear();
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != L'\\') {
            name.push_back(escaped[i]);
            continue;
        }
        if (++i == escaped.size()) return false;
        switch (escaped[i]) {
            case L'\\':
                name.push_back(L'\\');
                break;
            case L'n':
                name.push_back(L'\n');
                break;
            case L'r':
                name.push_back(L'\r');
                break;
            default:
                return false;
        }
    }
    return true;
}

// No file name holds a control character, and a line break in a name would
// break the report's lines: a list could make them look like blocks of its
// own. Unicode's own line and paragraph separators count as breaks too.
bool IsBreakOrControl(wchar_t c) {
    return c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool NameFromList(std::wstring_view text, bool escaped, std::wstring& name) {
    if (escaped) {
        if (!Unescape(text, name)) return false;
    } else {
        name.assign(text);
    }
    return !name.empty() && name.size() <= kLongestEntryName &&
           std::none_of(name.begin(), name.end(), IsBreakOrControl);
}

enum class LineMatch { NotThisForm, Malformed, Entry };

// "MD5 (<name>) = <hex>", also SHA1, SHA256 and CRC32, with or without the
// spaces; a leading backslash marks an escaped name.
LineMatch ParseTaggedLine(std::wstring_view line, ChecksumEntry& entry) {
    const bool escaped = !line.empty() && line.front() == L'\\';
    if (escaped) line.remove_prefix(1);
    const std::size_t open = line.find(L'(');
    if (open == std::wstring_view::npos) return LineMatch::NotThisForm;
    const std::optional<ChecksumAlgorithm> algorithm =
        AlgorithmOfTag(TrimBlanks(line.substr(0, open)));
    if (!algorithm) return LineMatch::NotThisForm;
    const std::size_t equals = line.rfind(L'=');
    if (equals == std::wstring_view::npos || equals < open) return LineMatch::Malformed;
    const std::wstring_view digest = TrimBlanks(line.substr(equals + 1));
    const std::wstring_view named = TrimBlanksAtEnd(line.substr(0, equals));
    if (named.size() < open + 2 || named.back() != L')') return LineMatch::Malformed;
    if (!AllHex(digest) || digest.size() != InfoOf(*algorithm).HexDigits)
        return LineMatch::Malformed;
    if (!NameFromList(named.substr(open + 1, named.size() - open - 2), escaped, entry.Name)) {
        return LineMatch::Malformed;
    }
    entry.Algorithm = *algorithm;
    entry.Digest = LowerHex(digest);
    return LineMatch::Entry;
}

// "<hex>  <name>" (text mode) or "<hex> *<name>" (binary mode), as the GNU
// tools and RHash read them: blanks may lead the line, a tab may stand for
// the first blank, and the mode mark may be missing ("<hex> <name>"). A
// leading backslash marks an escaped name.
LineMatch ParseGnuLine(std::wstring_view line, std::optional<ChecksumAlgorithm> ofList,
                       ChecksumEntry& entry) {
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    const bool escaped = !line.empty() && line.front() == L'\\';
    if (escaped) line.remove_prefix(1);
    std::size_t digits = 0;
    while (digits < line.size() && IsHexDigit(line[digits])) ++digits;
    if (digits == 0 || digits + 2 > line.size() || !IsBlank(line[digits])) {
        return LineMatch::NotThisForm;
    }
    const std::optional<ChecksumAlgorithm> algorithm = AlgorithmFor(ofList, digits);
    if (!algorithm) return LineMatch::NotThisForm;
    std::size_t nameStart = digits + 1;
    if (line[nameStart] == L' ' || line[nameStart] == L'*') ++nameStart;
    if (!NameFromList(line.substr(nameStart), escaped, entry.Name)) return LineMatch::Malformed;
    entry.Algorithm = *algorithm;
    entry.Digest = LowerHex(line.substr(0, digits));
    return LineMatch::Entry;
}

// "<name> <8 hex digits>": the name may hold spaces, the digest is the last word.
LineMatch ParseSfvLine(std::wstring_view line, std::optional<ChecksumAlgorithm> ofList,
                       ChecksumEntry& entry) {
    if (ofList && *ofList != ChecksumAlgorithm::CRC32) return LineMatch::NotThisForm;
    line = TrimBlanksAtEnd(line);
    std::size_t space = line.size();
    while (space > 0 && !IsBlank(line[space - 1])) --space;
    const std::wstring_view digest = line.substr(space);
    if (space == 0 || !AllHex(digest) ||
        digest.size() != InfoOf(ChecksumAlgorithm::CRC32).HexDigits) {
        return LineMatch::NotThisForm;
    }
    // Leading blanks are no part of the name: readers of SFV lists trim them.
    if (!NameFromList(TrimBlanks(line.substr(0, space)), false, entry.Name)) {
        return LineMatch::Malformed;
    }
    entry.Algorithm = ChecksumAlgorithm::CRC32;
    entry.Digest = LowerHex(digest);
    return LineMatch::Entry;
}

bool ParseEntryLine(std::wstring_view line, std::optional<ChecksumAlgorithm> ofList,
                    ChecksumEntry& entry) {
    // In an SFV list a name may look like a digest or begin like a tagged
    // line ("MD5 (1).txt CE89DBA3"): the SFV form goes first there, after a
    // complete tagged line only.
    if (ofList == ChecksumAlgorithm::CRC32) {
        if (ParseTaggedLine(line, entry) == LineMatch::Entry) return true;
        LineMatch match = ParseSfvLine(line, ofList, entry);
        if (match != LineMatch::NotThisForm) return match == LineMatch::Entry;
        return ParseGnuLine(line, ofList, entry) == LineMatch::Entry;
    }
    LineMatch match = ParseTaggedLine(line, entry);
    if (match != LineMatch::NotThisForm) return match == LineMatch::Entry;
    match = ParseGnuLine(line, ofList, entry);
    if (match != LineMatch::NotThisForm) return match == LineMatch::Entry;
    return ParseSfvLine(line, ofList, entry) == LineMatch::Entry;
}

bool IsSkippedLine(std::wstring_view line) {
    const std::wstring_view text = TrimBlanks(line);
    return text.empty() || text.front() == L'#' || text.front() == L';';
}

// UTF-8 sequence length for a lead byte, 0 when it cannot lead.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The file that a list holding nothing but one digest stands beside: its own
// name without the last extension ("x.iso" for "x.iso.sha256").
std::wstring_view BareListTarget(std::wstring_view listFileName) {
    const std::size_t folderEnd = listFileName.find_last_of(L"\\/");
    const std::wstring_view fileName =
        folderEnd == std::wstring_view::npos ? listFileName : listFileName.substr(folderEnd + 1);
    return fileName.substr(0, fileName.rfind(L'.'));
}

// Many download pages publish a list of one bare digest for the file named
// like the list: that one line becomes the entry for that file.
void ReadBareDigest(std::wstring_view line, ChecksumAlgorithm ofList,
                    std::wstring_view listFileName, ChecksumListContent& content) {
    const std::wstring_view digest = TrimBlanks(line);
    if (!AllHex(digest) || digest.size() != InfoOf(ofList).HexDigits) return;
    ChecksumEntry entry;
    if (!NameFromList(BareListTarget(listFileName), false, entry.Name)) return;
    entry.Algorithm = ofList;
    entry.Digest = LowerHex(digest);
    entry.Line = content.UnrecognisedLines.front();
    content.Entries.push_back(std::move(entry));
    content.UnrecognisedCount = 0;
    content.UnrecognisedLines.clear();
}

}  // namespace

const std::vector<ChecksumAlgorithmInfo>& ChecksumAlgorithms() {
    static const std::vector<ChecksumAlgorithmInfo> kAlgorithms{
        {ChecksumAlgorithm::MD5, CALG_MD5, L"MD5", 32, L"md5"},
        {ChecksumAlgorithm::SHA1, CALG_SHA1, L"SHA1", 40, L"sha1"},
        {ChecksumAlgorithm::SHA256, CALG_SHA_256, L"SHA256", 64, L"sha256"},
        {ChecksumAlgorithm::CRC32, CALG_CRC32, L"CRC32", 8, L"sfv"},
    };
    return kAlgorithms;
}

const ChecksumAlgorithmInfo& InfoOf(ChecksumAlgorithm algorithm) {
    return ChecksumAlgorithms()[static_cast<std::size_t>(algorithm)];
}

bool IsWellFormedUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = SequenceLength(lead);
        if (length == 0 || i + static_cast<std::size_t>(length) > bytes.size()) return false;
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        if (length >= 3) {
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            if (lead == 0xE0 && second < 0xA0) return false;  // overlong
            if (lead == 0xED && second > 0x9F) return false;  // surrogate
            if (lead == 0xF0 && second < 0x90) return false;  // overlong
            if (lead == 0xF4 && second > 0x8F) return false;  // above U+10FFFF
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::wstring DecodeListText(std::string_view bytes, const AnsiDecoder& ansiToWide) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        return Utf8ToWide(bytes.substr(kByteOrderMark.size()));
    }
    if (IsWellFormedUtf8(bytes)) return Utf8ToWide(bytes);
    return ansiToWide(bytes);
}

std::optional<ChecksumAlgorithm> AlgorithmOfListName(std::wstring_view listFileName) {
    const std::size_t dot = listFileName.find_last_of(L".\\/");
    if (dot == std::wstring_view::npos || listFileName[dot] != L'.') return std::nullopt;
    std::wstring extension(listFileName.substr(dot + 1));
    for (wchar_t& c : extension) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    for (const ChecksumAlgorithmInfo& info : ChecksumAlgorithms()) {
        if (extension == info.ListExt) return info.Algorithm;
    }
    return std::nullopt;
}

ChecksumListContent ParseChecksumList(std::wstring_view text, std::wstring_view listFileName) {
    const std::optional<ChecksumAlgorithm> ofList = AlgorithmOfListName(listFileName);
    if (!text.empty() && text.front() == L'\uFEFF') text.remove_prefix(1);
    ChecksumListContent content;
    std::wstring_view firstUnrecognised;
    int lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        if (IsSkippedLine(line)) continue;
        ChecksumEntry entry;
        if (ParseEntryLine(line, ofList, entry)) {
            entry.Line = lineNumber;
            content.Entries.push_back(std::move(entry));
        } else {
            if (content.UnrecognisedCount == 0) firstUnrecognised = line;
            ++content.UnrecognisedCount;
            if (content.UnrecognisedLines.size() < kListedUnrecognisedLines) {
                content.UnrecognisedLines.push_back(lineNumber);
            }
        }
    }
    if (content.Entries.empty() && content.UnrecognisedCount == 1 && ofList) {
        ReadBareDigest(firstUnrecognised, *ofList, listFileName, content);
    }
    return content;
}

std::string FormatChecksumListLine(ChecksumAlgorithm algorithm, std::wstring_view name,
                                   std::wstring_view digest) {
    if (algorithm == ChecksumAlgorithm::CRC32) {
        // Readers take a line that begins with ";" or "#" for a comment and
        // trim leading blanks (and a byte-order mark on the first line), and
        // a name such as "CRC32 (a) =" would make the line a tagged one: such
        // a name is written as the same file in the current folder.
        std::wstring line = std::wstring(name) + L' ' + std::wstring(digest);
        ChecksumEntry tagged;
        if (!name.empty() &&
            (name.front() == L';' || name.front() == L'#' || name.front() == L'\uFEFF' ||
             IsBlank(name.front()) || ParseTaggedLine(line, tagged) == LineMatch::Entry)) {
            line.insert(0, L"./");
        }
        return WideToUtf8(line) + '\n';
    }
    // A name with a line break is written escaped, as GNU tools do.
    if (name.find_first_of(L"\r\n") != std::wstring_view::npos) {
        std::wstring escaped;
        for (const wchar_t c : name) {
            if (c == L'\\')
                escaped += L"\\\\";
            else if (c == L'\n')
                escaped += L"\\n";
            else if (c == L'\r')
                escaped += L"\\r";
            else
                escaped.push_back(c);
        }
        return '\\' + WideToUtf8(digest) + " *" + WideToUtf8(escaped) + '\n';
    }
    return WideToUtf8(digest) + " *" + WideToUtf8(name) + '\n';
}
