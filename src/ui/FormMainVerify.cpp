// Checking files against a checksum list: the list chosen in the open
// dialog becomes the job's queue, and the job shows a verdict per entry.

#include "FormMain.h"

#include <string>
#include <string_view>
#include <vector>

#include "ChecksumVerify.h"
#include "IntakeScans.h"
#include "JobPlatform.h"
#include "JobQueueState.h"

namespace {

constexpr const wchar_t* kListDialogFilter =
    L"哈希文件|*.md5;*.sha1;*.sha256;*.sfv;*.txt|所有文件|*.*";
// The open dialog for one existing file; false when the user cancels.
bool ExecuteListDialog(HWND owner, TFileDialog& dialog) {
    if (dialog.Filter.empty()) {
        dialog.Filter = kListDialogFilter;
        dialog.FilterIndex = 1;
    }
    return ExecuteOpenDialog(owner, dialog, TOpenChoice::OneExistingFile);
}

// A list that is not UTF-8 is in the system's ANSI code page.
std::wstring AnsiCodePageToWide(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(wideLength > 0 ? wideLength : 0), L'\0');
    if (wideLength > 0) {
        // The same conversion into the size it just reported cannot fail.
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), wideLength);
    }
    return text;
}

}  // namespace

bool TFormMain::OverPlaceholderView(POINT screenPoint) const {
    // Before the first job the view is disabled, so its clicks reach the
    // window; the popup is offered there all the same, so that a check can
    // be the first thing done in a new window.
    if (RichEdit1.Enabled()) return false;
    RECT view{};
    // Fails only for a handle that is no window; the rectangle stays empty.
    ::GetWindowRect(RichEdit1.Handle, &view);
    return ::PtInRect(&view, screenPoint) != FALSE;
}

bool TFormMain::CanStartJob() const {
    const TScanControl& scans = IntakeScans();
    return JobQueue && !JobRunning(*JobQueue) && !scans.Scanning() && !scans.Closing();
}

void TFormMain::Pop_VerifyClick() {
    if (!CanStartJob()) return;
    TScanControl& scans = IntakeScans();
    // A close while the dialog is shown waits until it is gone.
    const TScanControl::TScope scope(scans);
    if (!ExecuteListDialog(handle_, OpenListDialog) || scans.Aborted()) return;
    // The dialog ran messages: an intake may have started a job meanwhile.
    if (JobRunning(*JobQueue)) return;
    auto run = std::make_unique<ChecksumVerifyWindow>(
        *checkWindow_,
        LoadVerifyPlan(SystemJobPlatform(), OpenListDialog.FileName, AnsiCodePageToWide));
    {
        FileListGuard guard(JobQueue->FileListLock);
        JobQueue->FileList = run->Paths();
    }
    verifyRun_ = std::move(run);
    StartVerifyRun();
}

void TFormMain::StartVerifyRun() {
    verifyRun_->BeginRun();
    StartJob(*verifyRun_);
}

void TFormMain::StartLastJob() {
    if (verifyRun_) {
        StartVerifyRun();
    } else {
        StartHash();
    }
}
