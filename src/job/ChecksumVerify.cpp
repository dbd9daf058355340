#include "ChecksumVerify.h"

#include <cerrno>
#include <string_view>

#include "ChecksumListPaths.h"
#include "ReportBlock.h"
#include "ReportFields.h"

namespace {

#ifdef _WIN32
constexpr ErrorCode kFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE
#else
constexpr ErrorCode kFileTooLarge = EFBIG;
#endif

constexpr std::uint32_t kListReadSize = 1 << 20;

std::wstring InCase(std::wstring hex, bool upperCase) {
    for (wchar_t& c : hex) {
        if (upperCase && c >= L'a' && c <= L'f') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (!upperCase && c >= L'A' && c <= L'F') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return hex;
}

// The text after "<label>" on the first line of `block` that starts with it.
bool FindLineValue(std::wstring_view block, std::wstring_view label, std::wstring& value) {
    for (std::size_t start = 0; start < block.size();) {
        std::size_t end = block.find(L"\r\n", start);
        if (end == std::wstring_view::npos) end = block.size();
        const std::wstring_view line = block.substr(start, end - start);
        if (line.substr(0, label.size()) == label) {
            value.assign(line.substr(label.size()));
            return true;
        }
        start = end + 2;
    }
    return false;
}

// Reads the whole list, or gives the error block.
bool ReadListBytes(JobPlatform& platform, const std::wstring& listPath, std::string& bytes,
                   std::wstring& failureBlock) {
    std::unique_ptr<JobFile> file;
    if (const ErrorCode error = platform.OpenFile(listPath, file); error != 0) {
        failureBlock = FormatFailureBlock(kOpenFailureLabel, listPath, platform.ErrorReason(error));
        return false;
    }
    std::int64_t size = 0;
    if (const ErrorCode error = file->GetSize(size); error != 0) {
        failureBlock = FormatFailureBlock(kSizeFailureLabel, listPath, platform.ErrorReason(error));
        return false;
    }
    const auto tooLarge = [&] {
        failureBlock =
            FormatFailureBlock(kReadFailureLabel, listPath, platform.ErrorReason(kFileTooLarge));
        return false;
    };
    if (size > kLargestChecksumList) return tooLarge();
    bytes.reserve(static_cast<std::size_t>(size));
    std::string piece(kListReadSize, '\0');
    for (;;) {
        std::uint32_t read = 0;
        if (const ErrorCode error = file->Read(piece.data(), kListReadSize, read); error != 0) {
            failureBlock =
                FormatFailureBlock(kReadFailureLabel, listPath, platform.ErrorReason(error));
            return false;
        }
        if (read == 0) return true;
        // A list that grows while it is read is still held to the limit.
        if (static_cast<std::int64_t>(bytes.size() + read) > kLargestChecksumList)
            return tooLarge();
        bytes.append(piece.data(), read);
    }
}

}  // namespace

VerifyPlan LoadVerifyPlan(JobPlatform& platform, const std::wstring& listPath,
                          const AnsiDecoder& ansiToWide) {
    VerifyPlan plan;
    std::string bytes;
    if (!ReadListBytes(platform, listPath, bytes, plan.FailureBlock)) return plan;
    const ChecksumListContent content =
        ParseChecksumList(DecodeListText(bytes, ansiToWide), listPath);
    const bool listOnNetwork = IsNetworkPath(listPath) || platform.OnNetworkDrive(listPath);
    plan.Items.reserve(content.Entries.size());
    for (const ChecksumEntry& entry : content.Entries) {
        VerifyItem item{ResolveEntryPath(listPath, entry.Name), entry.Algorithm, entry.Digest, {}};
        switch (KindOfEntryPath(item.Path)) {
            case EntryPathKind::Device:
                item.NotOpenedReason = kDeviceEntryReason;
                break;
            case EntryPathKind::Network:
                if (!listOnNetwork) item.NotOpenedReason = kNetworkEntryReason;
                break;
            case EntryPathKind::File:
                break;
        }
        plan.Items.push_back(std::move(item));
    }
    plan.UnrecognisedCount = content.UnrecognisedCount;
    plan.UnrecognisedLines = content.UnrecognisedLines;
    return plan;
}

std::wstring FormatNotOpenedBlock(const std::wstring& path, const std::wstring& reason) {
    return kNotOpenedLabel + path + L"\r\n" + kNotOpenedReasonLabel + reason + L"\r\n";
}

std::wstring FormatVerifySummary(int files, int matching, int differing, int unreadable,
                                 int unrecognisedCount, const std::vector<int>& unrecognisedLines) {
    std::wstring text = std::wstring(kVerifySummaryLabel) + L"共 " + std::to_wstring(files) +
                        L" 个文件，" + std::to_wstring(matching) + L" 个一致，" +
                        std::to_wstring(differing) + L" 个不一致，" + std::to_wstring(unreadable) +
                        L" 个无法读取\r\n";
    if (unrecognisedCount > 0) {
        text += L"无法识别的行：" + std::to_wstring(unrecognisedCount) + L"\r\n";
        text += L"无法识别的行号：";
        for (std::size_t i = 0; i < unrecognisedLines.size(); ++i) {
            if (i > 0) text += L", ";
            text += std::to_wstring(unrecognisedLines[i]);
        }
        if (static_cast<std::size_t>(unrecognisedCount) > unrecognisedLines.size()) text += L" 等";
        text += L"\r\n";
    }
    return text;
}

ChecksumVerifyWindow::ChecksumVerifyWindow(JobWindow& window, VerifyPlan plan)
    : window_(window), plan_(std::move(plan)) {}

std::vector<std::wstring> ChecksumVerifyWindow::Paths() const {
    std::vector<std::wstring> paths;
    paths.reserve(plan_.Items.size());
    for (const VerifyItem& item : plan_.Items) {
        if (item.NotOpenedReason.empty()) paths.push_back(item.Path);
    }
    return paths;
}

void ChecksumVerifyWindow::BeginRun() {
    nextItem_ = 0;
    matching_ = differing_ = unreadable_ = 0;
    summaryShown_ = false;
}

void ChecksumVerifyWindow::DisableControls() {
    window_.DisableControls();
    // The entries before the first one the job hashes, and the summary
    // when the job has none to report.
    ShowEntriesNotOpened();
}

JobOptions ChecksumVerifyWindow::ReadJobOptions() {
    const JobOptions shown = window_.ReadJobOptions();
    upperCase_ = shown.Upcase;
    JobOptions options;
    options.Path = true;
    options.Upcase = shown.Upcase;
    bool* const selected[] = {&options.MD5, &options.SHA1, &options.SHA256, &options.CRC32};
    for (const VerifyItem& item : plan_.Items)
        *selected[static_cast<std::size_t>(item.Algorithm)] = true;
    return options;
}

void ChecksumVerifyWindow::SynchronizeResult(const std::wstring& Result) {
    if (nextItem_ >= plan_.Items.size()) {
        window_.SynchronizeResult(Result);
        return;
    }
    const VerifyItem& item = plan_.Items[nextItem_++];
    window_.SynchronizeResult(VerdictBlock(item, Result));
    ShowEntriesNotOpened();
}

void ChecksumVerifyWindow::UpdateProgress(int position) {
    window_.UpdateProgress(position);
}

void ChecksumVerifyWindow::EnableControls() {
    window_.EnableControls();
}

std::wstring ChecksumVerifyWindow::VerdictBlock(const VerifyItem& item,
                                                const std::wstring& jobBlock) {
    std::wstring nameLine;
    if (!FindLineValue(jobBlock, kFileNameLabel, nameLine)) {
        // The job's error block for a file it could not open, size or read.
        ++unreadable_;
        return jobBlock;
    }
    const wchar_t* const name = InfoOf(item.Algorithm).Name;
    std::wstring digest;
    FindLineValue(jobBlock, std::wstring(name) + L": ", digest);
    std::wstring block = kFileNameLabel + nameLine + L"\r\n";
    AppendDigestLine(block, name, digest);
    if (InCase(digest, false) == item.Digest) {
        ++matching_;
        block += kMatchVerdict;
        block += L"\r\n";
    } else {
        ++differing_;
        block += kMismatchVerdict;
        block += L" (应为 " + InCase(item.Digest, upperCase_) + L")\r\n";
    }
    return block;
}

void ChecksumVerifyWindow::ShowEntriesNotOpened() {
    while (nextItem_ < plan_.Items.size() && !plan_.Items[nextItem_].NotOpenedReason.empty()) {
        const VerifyItem& item = plan_.Items[nextItem_++];
        ++unreadable_;
        window_.SynchronizeResult(FormatNotOpenedBlock(item.Path, item.NotOpenedReason));
    }
    if (nextItem_ == plan_.Items.size()) ShowSummaryOnce();
}

void ChecksumVerifyWindow::ShowSummaryOnce() {
    if (summaryShown_) return;
    summaryShown_ = true;
    if (!plan_.FailureBlock.empty()) {
        window_.SynchronizeResult(plan_.FailureBlock);
        return;
    }
    window_.SynchronizeResult(FormatVerifySummary(static_cast<int>(plan_.Items.size()), matching_,
                                                  differing_, unreadable_, plan_.UnrecognisedCount,
                                                  plan_.UnrecognisedLines));
}
