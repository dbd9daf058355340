#pragma once
// Checking files against a checksum list with the hash job: the list is read
// into a plan whose paths become the job's queue, and a window in front of
// the real one turns each of the job's blocks into the entry's verdict and
// adds the summary after the last entry.

#include <memory>
#include <string>
#include <vector>

#include "ChecksumList.h"
#include "JobPlatform.h"
#include "JobWindow.h"

struct VerifyItem {
    std::wstring Path;  // the entry's name resolved against the list's folder
    ChecksumAlgorithm Algorithm = ChecksumAlgorithm::MD5;
    std::wstring Digest;  // lower-case hex digits, as the list gives them
    // Why the check does not open the entry at all (a device, or a share on
    // another computer named by a list on this one); empty for the entries
    // the job hashes.
    std::wstring NotOpenedReason;
};

inline constexpr const wchar_t* kDeviceEntryReason = L"校验列表中的设备名称不是文件。";
inline constexpr const wchar_t* kNetworkEntryReason =
    L"本机上的校验列表指向网络路径，为安全起见不自动连接。";

// "未打开：<path>\r\n原因：<reason>\r\n"
std::wstring FormatNotOpenedBlock(const std::wstring& path, const std::wstring& reason);

struct VerifyPlan {
    std::vector<VerifyItem> Items;  // in list order
    int UnrecognisedCount = 0;
    std::vector<int> UnrecognisedLines;  // the first of them
    // The error block shown instead of a check when the list itself cannot
    // be read; empty otherwise.
    std::wstring FailureBlock;
};

// Lists larger than this are not read: no list of checksums comes near it.
inline constexpr std::int64_t kLargestChecksumList = 256LL << 20;

// Reads and parses the list at `listPath`. A list that cannot be opened,
// sized or read, or is larger than kLargestChecksumList, gives a plan
// without items whose FailureBlock is the job's block for such a file.
// Entries that name a device, and entries that name a share on another
// computer when the list itself lies on this one, are not to be opened.
VerifyPlan LoadVerifyPlan(JobPlatform& platform, const std::wstring& listPath,
                          const AnsiDecoder& ansiToWide);

// "校验完成：共 %d 个文件，%d 个一致，%d 个不一致，%d 个无法读取\r\n", then the
// count and numbers of the lines not understood, when there are any.
std::wstring FormatVerifySummary(int files, int matching, int differing, int unreadable,
                                 int unrecognisedCount, const std::vector<int>& unrecognisedLines);

// Stands between the hash job and the window during a check. The job sees
// the options the list needs (its algorithms, full paths, no other detail
// lines); the window sees a verdict block per entry in place of each hashed
// file's block, the job's error blocks as they are, and the summary. Blocks
// beyond the plan (paths queued during the check) pass unchanged.
class ChecksumVerifyWindow final : public JobWindow {
  public:
    ChecksumVerifyWindow(JobWindow& window, VerifyPlan plan);

    // The paths to queue for the check, in list order: those of the entries
    // to open.
    std::vector<std::wstring> Paths() const;
    // Starts counting afresh; called before each job over the plan.
    void BeginRun();

    void DisableControls() override;
    JobOptions ReadJobOptions() override;
    void SynchronizeResult(const std::wstring& Result) override;
    void UpdateProgress(int position) override;
    void EnableControls() override;

  private:
    std::wstring VerdictBlock(const VerifyItem& item, const std::wstring& jobBlock);
    // Shows the entries not opened from nextItem_ on, up to the next entry
    // the job hashes, and the summary after the last entry.
    void ShowEntriesNotOpened();
    void ShowSummaryOnce();

    JobWindow& window_;
    const VerifyPlan plan_;
    bool upperCase_ = false;
    std::size_t nextItem_ = 0;
    int matching_ = 0;
    int differing_ = 0;
    int unreadable_ = 0;
    bool summaryShown_ = false;
};
