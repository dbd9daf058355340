#include "ChecksumListInvariants.h"

#include <algorithm>
#include <iterator>

#include "ChecksumList.h"
#include "ChecksumListPaths.h"
#include "Utf8Text.h"

namespace {

// The first byte picks the list's name: the extension decides how its lines
// read, and a list of one bare digest names the file beside it.
constexpr const wchar_t* kListPaths[] = {
    L"C:\\l\\sums.md5",    L"C:\\l\\sums.sha1", L"C:\\l\\sums.sha256",
    L"C:\\l\\sums.sfv",    L"C:\\l\\SUMS.txt",  L"\\\\srv\\s\\disc.iso.sha256",
    L"D:/dl/COM1.zip.md5", L"C:\\l\\sums",
};

bool IsBreakOrControl(wchar_t c) {
    return c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool IsLowerHex(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
}

// Bytes that are not UTF-8 read as Latin-1 here: every byte is a character.
std::wstring Latin1(std::string_view bytes) {
    std::wstring text;
    for (const char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string CheckPath(const std::wstring& path) {
    if (std::any_of(path.begin(), path.end(), IsBreakOrControl)) return "control in a path";
    const EntryPathKind kind = KindOfEntryPath(path);
    if (kind == EntryPathKind::Network && !StartsWith(path, L"\\\\"))
        return "share not a server path";
    if (kind == EntryPathKind::File && StartsWith(path, L"\\\\.\\"))
        return "device taken for a file";
    if (kind == EntryPathKind::File && StartsWith(path, L"\\\\?\\") &&
        !(path.size() >= 6 && path[5] == L':'))
        return "extended path taken for a file";
    return {};
}

std::string CheckEntry(const ChecksumEntry& entry, const std::wstring& listPath) {
    if (entry.Name.empty() || entry.Name.size() > kLongestEntryName) return "name length";
    if (std::any_of(entry.Name.begin(), entry.Name.end(), IsBreakOrControl))
        return "control in a name";
    if (entry.Digest.size() != InfoOf(entry.Algorithm).HexDigits ||
        !std::all_of(entry.Digest.begin(), entry.Digest.end(), IsLowerHex)) {
        return "digest";
    }
    const std::wstring path = ResolveEntryPath(listPath, entry.Name);
    if (std::string broken = CheckPath(path); !broken.empty()) return broken;

    // Written back into a list of its algorithm, the entry reads as the same
    // file. An SFV line cannot end a name with a blank, nor can Windows.
    if (entry.Algorithm == ChecksumAlgorithm::CRC32 && entry.Name.back() == L' ') return {};
    const std::wstring written =
        Utf8ToWide(FormatChecksumListLine(entry.Algorithm, entry.Name, entry.Digest));
    const std::wstring writtenList = std::wstring(L"C:\\l\\w.") + InfoOf(entry.Algorithm).ListExt;
    const ChecksumListContent again = ParseChecksumList(written, writtenList);
    if (again.Entries.size() != 1) return "written line not read back";
    const ChecksumEntry& read = again.Entries.front();
    if (ResolveEntryPath(writtenList, read.Name) != ResolveEntryPath(writtenList, entry.Name))
        return "written line reads as another file";
    if (read.Algorithm != entry.Algorithm || read.Digest != entry.Digest)
        return "written line reads as another digest";
    return {};
}

}  // namespace

std::string CheckListInvariants(std::string_view bytes) {
    if (bytes.empty()) return {};
    const std::wstring listPath =
        kListPaths[static_cast<unsigned char>(bytes[0]) % std::size(kListPaths)];
    bytes.remove_prefix(1);
    const std::wstring text = DecodeListText(bytes, Latin1);
    const ChecksumListContent content = ParseChecksumList(text, listPath);

    int lines = 1;
    for (const wchar_t c : text) lines += c == L'\n' ? 1 : 0;
    if (content.Entries.size() + static_cast<std::size_t>(content.UnrecognisedCount) >
        static_cast<std::size_t>(lines)) {
        return "more entries than lines";
    }
    int previousLine = 0;
    for (const ChecksumEntry& entry : content.Entries) {
        if (entry.Line <= previousLine || entry.Line > lines) return "line numbers out of order";
        previousLine = entry.Line;
        if (std::string broken = CheckEntry(entry, listPath); !broken.empty()) return broken;
    }
    // The paths themselves, taken as a list's entries are.
    if (std::string broken = CheckPath(ResolveEntryPath(listPath, text));
        !broken.empty() && broken != "control in a path") {
        return broken;
    }
    return {};
}
