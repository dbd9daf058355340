#include "ChecksumListSave.h"

#include <algorithm>
#include <cwctype>

#include "ChecksumListPaths.h"
#include "ReportFields.h"
#include "ViewLines.h"

const wchar_t* const kSaveDialogFilter =
    L"文体文件|*.txt|所有文件|*.*|MD5 哈希文件|*.md5|SHA1 哈希文件|*.sha1|SHA256 哈希文件|*.sha256|"
    L"SFV 文件|*.sfv";

namespace {

// The plain text types come first in the filter.
constexpr int kFirstListType = 3;

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsDigestOf(std::wstring_view text, ChecksumAlgorithm algorithm) {
    return text.size() == InfoOf(algorithm).HexDigits &&
           std::all_of(text.begin(), text.end(),
                       [](wchar_t c) { return std::iswxdigit(static_cast<std::wint_t>(c)) != 0; });
}

}  // namespace

std::optional<ChecksumAlgorithm> ListAlgorithmOfSaveType(int filterIndex) {
    const int type = filterIndex - kFirstListType;
    if (type < 0 || type >= static_cast<int>(ChecksumAlgorithms().size())) return std::nullopt;
    return ChecksumAlgorithms()[static_cast<std::size_t>(type)].Algorithm;
}

SavedChecksumList ChecksumListFromReport(std::wstring_view viewText, ChecksumAlgorithm algorithm,
                                         std::wstring_view listPath) {
    const std::wstring digestLabel = std::wstring(InfoOf(algorithm).Name) + L": ";
    const std::wstring_view nameLabel = kFileNameLabel;
    SavedChecksumList list;
    std::wstring_view name;
    std::wstring_view digest;
    const auto endBlock = [&] {
        if (!name.empty() && !digest.empty()) {
            list.Bytes += FormatChecksumListLine(algorithm, NameInList(listPath, name), digest);
            ++list.Entries;
        }
        name = {};
        digest = {};
    };
    for (const std::wstring_view line : SplitViewLines(viewText)) {
        if (line.empty()) {
            endBlock();
        } else if (StartsWith(line, nameLabel)) {
            endBlock();
            name = line.substr(nameLabel.size());
        } else if (!name.empty() && digest.empty() && StartsWith(line, digestLabel) &&
                   IsDigestOf(line.substr(digestLabel.size()), algorithm)) {
            digest = line.substr(digestLabel.size());
        }
    }
    endBlock();
    return list;
}

std::wstring NoDigestsToSaveMessage(ChecksumAlgorithm algorithm) {
    return std::wstring(L"结果中没有 ") + InfoOf(algorithm).Name + L" 值，未保存文件。";
}
