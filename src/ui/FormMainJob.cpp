// The window's side of the hash job: starting it, the display of its
// results and progress, and the control states while it runs.

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CheckViewMarks.h"
#include "ChecksumVerify.h"
#include "FormMain.h"
#include "HashJob.h"
#include "JobQueueState.h"
#include "JobWindow.h"
#include "StageTimes.h"
#include "UiCallQueue.h"
#include "Win32Check.h"

std::unique_ptr<JobQueueState> JobQueue;

namespace {

// What the job sees of the window; the job calls it only through
// synchronous calls, so everything here runs on the UI thread.
class FormJobWindow final : public JobWindow {
  public:
    FormJobWindow(TFormMain& form, TResultStyle style) : form_(form), style_(style) {}

    void DisableControls() override { form_.DisableControls(); }
    JobOptions ReadJobOptions() override {
        JobOptions options;
        options.MD5 = form_.CB_MD5.Checked();
        options.SHA1 = form_.CB_SHA1.Checked();
        options.SHA256 = form_.CB_SHA256.Checked();
        options.CRC32 = form_.CB_CRC32.Checked();
        options.Path = form_.CB_Path.Checked();
        options.Size = form_.CB_Size.Checked();
        options.Ver = form_.CB_Ver.Checked();
        options.Time = form_.CB_Time.Checked();
        options.CalcTime = form_.CB_CalcTime.Checked();
        options.Upcase = form_.CB_Upcase.Checked();
        return options;
    }
    void SynchronizeResult(const std::wstring& Result) override {
        form_.AppendResult(Result, style_);
    }
    void UpdateProgress(int position) override { form_.UpdateProgress(position); }
    void EnableControls() override { form_.EnableControls(); }

  private:
    TFormMain& form_;
    const TResultStyle style_;
};

wchar_t LastViewCharacter(HWND view, LONG length) {
    if (length == 0) return L'\0';
    wchar_t buffer[2] = {};
    TEXTRANGEW range{{length - 1, length}, buffer};
    ::SendMessageW(view, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return buffer[0];
}

// The number of characters the view stores for a text: a line break, CR LF
// or a lone CR or LF, is one character.
LONG StoredLength(const std::wstring& text) {
    LONG count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        ++count;
    }
    return count;
}

bool IsLineBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

// Places the caret at the view's end without naming a character position:
// Wine's rich edit finds a position by walking the text from its start, so
// on a view of many blocks every append would take longer than the last.
// Selecting everything and then deselecting leaves the caret at the active
// end, the end of the text.
void MoveCaretToEnd(HWND view, LONG length) {
    CHARRANGE selection{};
    ::SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMin == length && selection.cpMax == length) return;
    CHARRANGE all{0, -1};
    ::SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    CHARRANGE deselect{-1, -1};
    ::SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&deselect));
}

// A paint that fails leaves the control to its next WM_PAINT.
void RepaintNow(HWND control) {
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

}  // namespace

void TFormMain::CreateFileQueue() {
    JobQueue = std::make_unique<JobQueueState>();
    uiCalls_ = std::make_unique<UiCallQueue>(
        // A wake that cannot be posted (a full message queue) fails the job's
        // hand-over rather than leave it waiting for a message never sent.
        [hwnd = handle_] { CheckWin32(::PostMessageW(hwnd, WM_APP_UICALLS, 0, 0)); });
    jobWindow_ = std::make_unique<FormJobWindow>(*this, TResultStyle::Plain);
    checkWindow_ = std::make_unique<FormJobWindow>(*this, TResultStyle::Check);
    jobPaint_.SetOwner(handle_);
}

void TFormMain::FreeFileQueue() {
    JobQueue.reset();
}

void TFormMain::StartHash() {
    verifyRun_.reset();  // FileList holds files to hash now
    StartJob(*jobWindow_);
}

void TFormMain::StartJob(JobWindow& window) {
    // Only the first job of the run finds the view disabled.
    if (!RichEdit1.Enabled()) ClearResultViewPlaceholder();
    RichEdit1.SetEnabled(true);
    Btn_ComText.SetEnabled(true);
    StartHashJob(*JobQueue, window, *uiCalls_);
}

void TFormMain::ClearResultViewPlaceholder() {
    ::SendMessageW(RichEdit1.Handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SetParagraphAlignment(RichEdit1.Handle, PFA_LEFT);
}

void TFormMain::StopHash() {
    if (!JobQueue) return;
    TaskHandle task = RunningHashTask(*JobQueue);
    if (!task) return;
    task->Cancel();
    // The job's last calls (its block, progress, EnableControls) need this
    // thread; HashTask is emptied only after them. The messages processed
    // meanwhile must not free the queue (a close waits for this wait), and
    // the queue is looked up again after them all the same.
    while (JobQueue && JobRunning(*JobQueue)) {
        ProcessMessages();
        uiCalls_->RunPending();
    }
}

void TFormMain::SynchronizeResult(const std::wstring& Result) {
    uiCalls_->Call([this, text = Result] { AppendResult(text); });
}

void TFormMain::AppendResult(const std::wstring& Result, TResultStyle style) {
    const StageTimer timer(Stage::WindowBlock);
    pendingResults_.push_back({Result, style});
    // While a job runs the texts wait for the view's next paint and go in
    // together: under Wine an insertion costs milliseconds however short,
    // more than hashing a small file. Too many waiting go in a piece at once.
    if (jobPaint_.HoldBack(RichEdit1.Handle)) {
        if (pendingResults_.size() >= kMaxPendingResults) FlushResults(kResultsPerInsertion);
        return;
    }
    FlushResults();
}

void TFormMain::PaintJobChanges() {
    ShowHeldProgress();
    FlushResultsPiece();
    jobPaint_.OnTimer(kJobPaintTimer);
}

void TFormMain::FlushResultsPiece() {
    FlushResults(kResultsPerInsertion);
    // The rest follows once the messages queued meanwhile have had their turn.
    if (!pendingResults_.empty()) ::PostMessageW(handle_, WM_APP_FLUSHRESULTS, 0, 0);
}

void TFormMain::FlushResults(std::size_t limit) {
    // The view notifies the window while it takes text; a flush then would
    // put texts inside the insertion under way.
    if (insertingResults_) return;
    insertingResults_ = true;
    const ScopeGuard inserted([this] { insertingResults_ = false; });
    // One insertion for all of them: each costs milliseconds under Wine
    // however short it is. The paint timer's pieces are what keeps the
    // window answering during a job.
    const std::size_t count = std::min(limit, pendingResults_.size());
    if (count > 0) InsertResults(count);
}

void TFormMain::InsertResults(std::size_t count) {
    const StageTimer timer(Stage::ViewInsertion);
    HWND view = RichEdit1.Handle;
    const LONG length = ViewTextLength(view, GTL_NUMCHARS);
    // The last character is read back (a walk through the whole text in
    // Wine's rich edit) only when the text is no longer what the previous
    // append left.
    bool lastLineEmpty =
        length == 0 || (length == viewEnd_.Length ? viewEnd_.LastLineEmpty
                                                  : IsLineBreak(LastViewCharacter(view, length)));
    viewEnd_ = {};
    // Each text starts on a line of its own and ends its last line.
    std::wstring insert;
    std::vector<TMarkedSpan> marks;
    for (std::size_t i = 0; i < count; ++i) {
        const PendingResult& result = pendingResults_.front();
        if (!lastLineEmpty) insert += L"\r\n";
        if (result.Style == TResultStyle::Check)
            AppendCheckBlockMarks(result.Text, insert.size(), marks);
        insert += result.Text;
        if (lastLineEmpty) insert += L"\r\n";
        lastLineEmpty = IsLineBreak(insert.back());
        pendingResults_.pop_front();
    }
    // Drawing each step of the insertion is slow on large views; the view is
    // painted once, at its new end: now, or while a job runs, by the timer.
    const bool paintLater = jobPaint_.HoldBack(view);
    if (!paintLater) ::SendMessageW(view, WM_SETREDRAW, FALSE, 0);
    MoveCaretToEnd(view, length);
    if (marks.empty()) {
        SETTEXTEX how{ST_SELECTION | ST_KEEPUNDO, 1200};
        ::SendMessageW(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                       reinterpret_cast<LPARAM>(insert.c_str()));
    } else {
        // The marks go in with the text, in the same one insertion: setting a
        // format over a range afterwards would first have Wine's rich edit
        // find each range's start from the beginning of the text.
        const std::string rtf = MarkedTextRtf(insert, marks);
        SETTEXTEX how{ST_SELECTION | ST_KEEPUNDO, CP_ACP};
        ::SendMessageW(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                       reinterpret_cast<LPARAM>(rtf.c_str()));
    }
    const LONG newLength = ViewTextLength(view, GTL_NUMCHARS);
    // The caret is just after the inserted text; no selection is left.
    CHARRANGE deselect{-1, -1};
    ::SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&deselect));
    ::SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
    if (!paintLater) {
        ::SendMessageW(view, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(view, nullptr, TRUE);  // fails only for a bad handle
    }
    if (newLength != length + StoredLength(insert)) {
        // A job would go on filling a view that takes nothing more, and the
        // texts still waiting would fail again, each with its own message.
        pendingResults_.clear();
        if (TaskHandle task = RunningHashTask(*JobQueue)) task->Cancel();
        throw AppError(L"The result view cannot take more text");
    }
    viewEnd_ = {newLength, lastLineEmpty};
}

void TFormMain::UpdateProgress(int position) {
    const int wanted = std::clamp(position, 0, 100);
    // Each change of the bar costs calls to the window system (its
    // invalidation and update, a round trip to the server under Wine), which
    // the job's updates between two paints would pay for nothing.
    if (jobPaint_.Schedule()) {
        heldProgress_ = wanted;
        return;
    }
    ShowProgress(wanted);
}

void TFormMain::ShowHeldProgress() {
    if (const std::optional<int> held = std::exchange(heldProgress_, std::nullopt)) {
        ShowProgress(*held);
    }
}

void TFormMain::ShowProgress(int position) {
    HWND bar = ProgressBar.Handle;
    const auto shown = TimeStage(Stage::ProgressBar, [&] {
        const auto before = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
        // Many small files share one percent: only a change is worth a paint.
        if (position != before) ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        return static_cast<std::int64_t>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    });
    SetTaskbarProgress(shown);
}

void TFormMain::SetTaskbarProgress(std::int64_t Pos) {
    const StageTimer timer(Stage::Taskbar);
    if (!MainUnit::TaskbarList) return;
    if (Pos == taskbarPosition_) return;  // the button shows it already
    taskbarPosition_ = static_cast<int>(Pos);
    MainUnit::TaskbarList->SetProgressValue(handle_, static_cast<ULONGLONG>(Pos), 100);
}

void TFormMain::DisableControls() {
    SetJobControls(/*jobRunning=*/true);
    jobPaint_.Begin();
}

void TFormMain::EnableControls() {
    // A view that refuses the last texts still gets the controls back, and
    // the error box says why: raised into the job's call, the error would
    // end the job without a word and leave the controls disabled.
    std::optional<AppError> refused;
    try {
        FlushResults();
    } catch (const AppError& error) {
        refused = error;
    }
    SetJobControls(/*jobRunning=*/false);
    ShowHeldProgress();
    jobPaint_.End();  // the job's last changes are painted by the next WM_PAINT
    if (kStageTimesBuiltIn) WriteStageTimes();
    if (refused) ShowException(*refused);
}

// A benchmark build's stage times of the job that ended, appended to the
// file named by VARUDODI_STAGE_TIMES.
void TFormMain::WriteStageTimes() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VARUDODI_STAGE_TIMES", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string table = StageTimesTable() + "\n";
    ResetStageTimes();
    UniqueFile file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    // A benchmark's aid: a file that cannot be written leaves its table out.
    if (file)
        ::WriteFile(file.Get(), table.data(), static_cast<DWORD>(table.size()), &written, nullptr);
}

void TFormMain::SetJobControls(bool jobRunning) {
    Btn_Clear.SetEnabled(!jobRunning);
    Btn_Copy.SetEnabled(!jobRunning);
    Btn_Save.SetEnabled(!jobRunning);
    // Once a job has run the button stays enabled; it only changes meaning.
    if (jobRunning) Btn_Stop.SetEnabled(true);
    Btn_Stop.SetCaption(jobRunning ? L"停止(&A)" : L"开始(&R)");
    Btn_Stop.Tag = jobRunning ? 0 : 1;
    RepaintNow(Btn_Stop.Handle);
    for (const TControl* control : Components) {
        if (control->Kind == TControlKind::CheckBox) control->SetEnabled(!jobRunning);
    }
}
