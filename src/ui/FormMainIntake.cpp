// The window's intakes: dropped files and folders, the open dialog and the
// command-line arguments, and the expansion of folders into FileList.

#include <windows.h>

#include <string>
#include <vector>

#include "ChecksumVerify.h"
#include "FolderScan.h"
#include "FormMain.h"
#include "Intake.h"
#include "IntakeDropWin32.h"
#include "IntakeScans.h"
#include "JobQueueState.h"

namespace {

TAppendPath AppendTo(TFileList& list) {
    return [&list](const std::wstring& path) { list.push_back(path); };
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

void TFormMain::RunWindowIntake(const std::function<void(TFileList&)>& append,
                                const std::function<void()>& startHash) {
    RunIntake(*JobQueue, append, startHash,
              // The kept check's entries are gone: Start must not judge the new
              // paths against them, also before the new job starts.
              [this] { verifyRun_.reset(); });
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
    RunWindowIntake(
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
    if (!ExecuteOpenDialog(handle_, OpenDialog1, TOpenChoice::ManyNames) || scans.Aborted()) return;
    const std::vector<std::wstring> chosen = OpenDialog1.Files;
    RunWindowIntake([&](TFileList& list) { list.insert(list.end(), chosen.begin(), chosen.end()); },
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
    RunWindowIntake(
        [&](TFileList& list) {
            start =
                QueueCommandLineArguments(Arguments, PlatformFileSystem(), scans, AppendTo(list));
        },
        [&] {
            if (start) StartHash();
        });
}

void TFormMain::QueueHandedOverPaths(const std::vector<std::wstring>& paths) {
    // Taken in as the command line is: folders expanded, files queued as
    // given, the job started or extended.
    TScanControl& scans = IntakeScans();
    const TScanControl::TScope scope(scans);
    bool start = false;
    RunIntake(
        *JobQueue,
        [&](TFileList& list) {
            start = QueueCommandLineArguments(paths, PlatformFileSystem(), scans, AppendTo(list));
        },
        [&] {
            if (start) StartHash();
        });
}
