// The window's intakes: dropped files and folders, the open dialog and the
// command-line arguments, and the expansion of folders into FileList.

#include <windows.h>
// The common dialogs need the base declarations first.
#include <commdlg.h>

#include <new>
#include <string>
#include <vector>

#include "DialogFilter.h"
#include "FolderScan.h"
#include "FormMain.h"
#include "Intake.h"
#include "IntakeDropWin32.h"
#include "IntakeScans.h"
#include "JobQueueState.h"

namespace {

// The file buffer of the open dialog at first; it grows as the user selects.
constexpr DWORD kInitialSelectionCapacity = 32 * 1024;

TAppendPath AppendTo(TFileList& list) {
    return [&list](const std::wstring& path) { list.push_back(path); };
}

// Grows the dialog's file buffer whenever the selection would not fit, so
// that any number of chosen files is returned whole.
UINT_PTR CALLBACK OpenDialogHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY) return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (notify->hdr.code != CDN_SELCHANGE) return 0;
    const HWND dialog = ::GetParent(child);
    const auto nameLength = static_cast<std::size_t>(::SendMessageW(dialog, CDM_GETSPEC, 0, 0));
    const auto folder = static_cast<std::size_t>(::SendMessageW(dialog, CDM_GETFOLDERPATH, 0, 0));
    // The folder, then each name with its NUL: never longer than both texts.
    const std::size_t needed = folder + nameLength + 2;
    OPENFILENAMEW* ofn = notify->lpOFN;
    auto* buffer = reinterpret_cast<std::vector<wchar_t>*>(ofn->lCustData);
    if (needed <= buffer->size()) return 0;
    try {
        buffer->resize(needed, L'\0');
    } catch (const std::bad_alloc&) {
        // No exception may cross the dialog; the dialog then reports the
        // selection as too large, which Btn_BrowseClick shows.
        return 0;
    }
    ofn->lpstrFile = buffer->data();
    ofn->nMaxFile = static_cast<DWORD>(buffer->size());
    return 0;
}

// Shows the open dialog; false when the user cancels.
bool ExecuteOpenDialog(HWND owner, TFileDialog& dialog) {
    const std::wstring filter = SystemDialogFilter(dialog.Filter);
    std::vector<wchar_t> buffer(kInitialSelectionCapacity, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(dialog.FilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    // No test that the chosen names exist: a typed missing name is queued.
    ofn.Flags =
        OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = OpenDialogHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(&buffer);
    if (!::GetOpenFileNameW(&ofn)) {
        const DWORD error = ::CommDlgExtendedError();
        if (error == 0) return false;
        throw TAppError(L"The open dialog failed (error " + std::to_wstring(error) + L")");
    }
    dialog.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    dialog.Files = OpenDialogSelection(std::wstring_view(ofn.lpstrFile, ofn.nMaxFile));
    dialog.FileName = dialog.Files.empty() ? std::wstring() : dialog.Files.front();
    return true;
}

}  // namespace

TScanControl& IntakeScans() {
    static TScanControl scans(
        [] {
            if (FormMain) FormMain->ProcessMessages();
        },
        [] {
            if (FormMain && FormMain->Handle()) ::PostMessageW(FormMain->Handle(), WM_CLOSE, 0, 0);
        });
    return scans;
}

void TFormMain::AddFolder(const std::wstring& folder) {
    // The caller holds FileListLock, or no job can exist.
    ExpandFolder(folder, PlatformFileSystem(), IntakeScans(), AppendTo(JobQueue->FileList));
}

void TFormMain::WMDropFiles(HDROP drop) {
    const TDropHandle dropped(drop);  // DragFinish on every way out
    TScanControl& scans = IntakeScans();
    if (!JobQueue || scans.Closing()) return;
    const std::vector<std::wstring> paths = dropped.Paths();
    const TScanControl::TScope scope(scans);
    // FileListLock is held over every folder scan of the drop.
    RunIntake(
        *JobQueue,
        [&](TFileList& list) {
            QueueDroppedPaths(paths, PlatformFileSystem(), scans, AppendTo(list));
        },
        [&] {
            if (!scans.Aborted()) StartHash();
        });
}

void TFormMain::Btn_BrowseClick() {
    TScanControl& scans = IntakeScans();
    if (!JobQueue || scans.Closing()) return;
    // A close while the dialog is shown waits until it is gone.
    const TScanControl::TScope scope(scans);
    OpenDialog1.Filter = L"所有文件|*.*";
    if (!ExecuteOpenDialog(handle_, OpenDialog1) || scans.Aborted()) return;
    const std::vector<std::wstring> chosen = OpenDialog1.Files;
    RunIntake(
        *JobQueue, [&](TFileList& list) { list.insert(list.end(), chosen.begin(), chosen.end()); },
        [this] { StartHash(); });
}

void TFormMain::QueueCommandLine() {
    // The last step of FormCreate: from here on this window takes intakes.
    TScanControl& scans = IntakeScans();
    scans.Reopen();
    const TScanControl::TScope scope(scans);
    // FileList is new and no job exists yet; the common rule still applies,
    // so that a drop during the scan of a folder argument adds to the queue.
    bool start = false;
    RunIntake(
        *JobQueue,
        [&](TFileList& list) {
            start =
                QueueCommandLineArguments(Arguments, PlatformFileSystem(), scans, AppendTo(list));
        },
        [&] {
            if (start) StartHash();
        });
}
