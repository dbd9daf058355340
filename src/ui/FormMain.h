#pragma once
// The main window: one top-level window with the result view, the option
// check boxes, the progress bar, the compare row and the button row. Its
// methods are grouped by concern in the FormMain*.cpp files.

#include <windows.h>
#include <shobjidl.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AppError.h"
#include "BurstHandOver.h"
#include "FileDialogs.h"
#include "ThrottledPaint.h"
#include "Win32Raii.h"

class UiCallQueue;
struct ControlDesign;
class JobWindow;
class ChecksumVerifyWindow;
struct JobQueueState;

// Posted to the window when another thread has queued a call for the UI
// thread.
constexpr UINT WM_APP_UICALLS = WM_APP + 1;
// Puts the next piece of the texts waiting for the view into it.
constexpr UINT WM_APP_FLUSHRESULTS = WM_APP + 2;
// Takes in the paths of hand-overs already answered (see TakeHandOver).
constexpr UINT WM_APP_HANDOVERS = WM_APP + 3;
// Under Wine an insertion into the view takes about half a millisecond per
// block: a piece this large keeps the window answering within about 10 ms.
constexpr std::size_t kResultsPerInsertion = 20;
// Texts waiting for the view during a job beyond which they go in at once,
// a piece at a time: the job then waits for the window instead of its texts
// piling up. The job's end puts in all that wait in one insertion, about a
// millisecond a text under Wine, so they stay few.
constexpr std::size_t kMaxPendingResults = 48;
// How long the job's hand-overs may hold the UI thread before the window's
// other messages get their turn.
constexpr std::chrono::milliseconds kUiCallsSlice{20};
// The timer that paints the view and the progress bar while a job runs: ten
// times a second is smooth for a bar, and each paint of the bar costs a big
// file's hashing about 2 ms under Wine.
constexpr UINT_PTR kJobPaintTimer = 1;
constexpr UINT kJobPaintIntervalMs = 100;
// The collecting window of a burst of starts takes hand-overs until this long
// has passed without one.
constexpr UINT_PTR kBurstTimer = 2;
constexpr UINT kBurstQuietMs = 2000;

// The client area as designed, at 96 pixels per inch.
constexpr int kDesignClientWidth = 495;
constexpr int kDesignClientHeight = 358;

enum class TControlKind { Label, CheckBox, Button, Edit, ProgressBar, RichEdit };

enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// How a text appended to the result view is shown: as it stands, or as a
// block of a check, whose outcome the view marks (CheckViewMarks.h).
enum class TResultStyle { Plain, Check };

// An item of a popup menu.
struct TMenuItem {
    UINT Id = 0;
    const wchar_t* Caption = L"";
};

// One child control of the window, with what the layout and the handlers
// need to know about it.
struct TControl {
    const wchar_t* Name = L"";
    TControlKind Kind = TControlKind::Label;
    HWND Handle = nullptr;
    int Id = 0;
    int Tag = 0;
    RECT Bounds{};  // client coordinates at creation, after scaling
    unsigned Anchors = 0;

    bool Enabled() const { return ::IsWindowEnabled(Handle) != FALSE; }
    void SetEnabled(bool enabled) const { ::EnableWindow(Handle, enabled ? TRUE : FALSE); }
    bool Checked() const;
    void SetChecked(bool checked) const;
    std::wstring Caption() const;
    void SetCaption(const std::wstring& text) const;
};

class TFormMain {
  public:
    TFormMain();
    ~TFormMain();
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    // Creates the window and its controls, runs FormCreate and shows the
    // window. `arguments` are the command-line arguments after the program.
    void Create(const std::vector<std::wstring>& arguments, int showCommand);
    HWND Handle() const { return handle_; }

    // Controls, in declaration order.
    TControl RichEdit1, CB_MD5, CB_SHA1, CB_SHA256, CB_CRC32, Lb3, ProgressBar, Lb4, Ed_ComText,
        Btn_ComText, Btn_Browse, Btn_Clear, Btn_Copy, Btn_Save, Btn_Stop, Btn_Exit;
    TFileDialog OpenDialog1, SaveDialog1;
    TFileDialog OpenListDialog;  // the checksum list to check files against
    UniqueMenu PopupMenu1;
    TMenuItem Pop_Copy, Pop_Clear, N2, Pop_All, N3, Pop_Verify;
    TControl Lb1, CB_Path, CB_Size, CB_Ver, CB_Time, Lb2, CB_CalcTime, CB_Upcase;

    // Every control in creation order; loops over the window's components
    // visit them in this order.
    std::vector<TControl*> Components;

    // Window events.
    void FormCreate();
    void FormClose();
    // The session ends (log-off, shut-down): what a close saves is saved now.
    void EndSession();
    void FormCanResize(int& NewWidth, int& NewHeight, bool& Resize);
    void WMDropFiles(HDROP drop);
    void WMSysCommand(WPARAM command);

    // The hash job and its display.
    void StartHash();
    void StopHash();
    void SynchronizeResult(const std::wstring& Result);
    // During a job the position waits for the paint timer (ShowHeldProgress).
    void UpdateProgress(int position);
    void SetTaskbarProgress(std::int64_t Pos);
    void DisableControls();
    void EnableControls();
    void WriteStageTimes();
    // The bar and the taskbar button at `position` (0 to 100).
    void ShowProgress(int position);
    void ShowHeldProgress();
    // The paint timer's turn: a piece of the waiting texts into the view,
    // then the held-back controls painted.
    void PaintJobChanges();

    // Intakes.
    void AddFolder(const std::wstring& folder);
    void Btn_BrowseClick();
    // Makes the window the collector of its burst of starts: it takes the
    // paths the other starts hand over until kBurstQuietMs pass without one.
    void CollectBurst(TBurstCollector collector);
    bool Collecting() const { return burst_.Holds(); }
    // WM_COPYDATA: true when the window took the paths of a hand-over, to be
    // queued as a command-line intake once the sender has its answer;
    // anything else is refused and changes nothing.
    bool TakeHandOver(const COPYDATASTRUCT& data);
    // WM_APP_HANDOVERS: queues the hand-overs taken, in the order they came.
    void QueueHandOvers();

    // Result view commands.
    void Btn_ComTextClick();
    void Btn_ClearClick();
    void Btn_CopyClick();
    void Btn_SaveClick();
    void RichEdit1ContextPopup(POINT screenPoint);
    void Pop_CopyClick();
    void Pop_ClearClick();
    void Pop_AllClick();
    // Checks files against a checksum list the user chooses.
    void Pop_VerifyClick();

    // Job controls.
    void Btn_StopClick();
    void Btn_ExitClick();
    // Runs the last job again: the last check, or a hash job over FileList.
    void StartLastJob();

    // Settings: 0 loads, 1 saves.
    void LoadSaveSettings(std::int16_t mode);

    // Window properties the settings read and set.
    int Width() const;
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    void SetStayOnTop(bool onTop);

    // Replaces the placeholder before the first job: the view is emptied and
    // its paragraphs become left-aligned.
    void ClearResultViewPlaceholder();
    // The UI thread's part of SynchronizeResult: appends a report text to
    // the result view and shows the view's end.
    void AppendResult(const std::wstring& Result, TResultStyle style = TResultStyle::Plain);
    // Puts texts that wait for the view's next paint into the view, the
    // first `limit` of them.
    void FlushResults(std::size_t limit = SIZE_MAX);
    // As many as one insertion takes; the rest after the queued messages.
    void FlushResultsPiece();
    void InsertResults(std::size_t count);
    UiCallQueue& UiCalls() { return *uiCalls_; }

    // WM_DPICHANGED: the scaling of the window's creation applied anew for
    // `dpi` to every control, the fonts and the layout, in the rectangle the
    // system suggests.
    void ApplyDpi(int dpi, const RECT& suggested);
    int Dpi() const { return dpi_; }

    // Processes every pending message without waiting for new ones.
    void ProcessMessages();
    // Shows an error that escaped an event handler; the program goes on.
    void ShowException(const std::exception& error) const;

    std::vector<std::wstring> Arguments;
    // The program whose INI file beside it may hold the settings; empty for
    // the running program itself.
    std::wstring SettingsProgramPath;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool HandleCommand(int id, int notification);
    // The steps of FormCreate and FormClose that belong to the job, the
    // settings and the shell integration.
    void CreateFileQueue();
    void SetJobControls(bool jobRunning);
    void LoadSettingsAndSnapshot();
    void ExtendSystemMenu();
    void QueueCommandLine();
    void QueueHandedOverPaths(const std::vector<std::wstring>& paths);
    void EndCollecting();
    void FreeFileQueue();
    void SaveSettingsIfChanged();
    // Starts a job over FileList whose results and control changes go
    // through `window`.
    void StartJob(JobWindow& window);
    void StartVerifyRun();
    // No job runs, no intake scans and the window is not closing.
    bool CanStartJob() const;
    // The steps of the intakes' common rule (RunIntake) with this window's
    // part: an intake that replaces the queue ends the kept check.
    void RunWindowIntake(const std::function<void(std::vector<std::wstring>&)>& append,
                         const std::function<void()>& startHash);
    // Every copy from the result view, the view's own keys included, gives
    // plain text.
    void KeepViewCopiesPlain();
    // A point of the screen on the result view while it shows its
    // placeholder (disabled, before the first job).
    bool OverPlaceholderView(POINT screenPoint) const;
    void CreateControls();
    void LayoutControls(int clientWidth, int clientHeight);
    // A control's design bounds scaled to the window's resolution.
    RECT ScaledBounds(const ControlDesign& design) const;
    int Scale(int value) const { return ::MulDiv(value, dpi_, 96); }

    HWND handle_ = nullptr;
    std::unique_ptr<UiCallQueue> uiCalls_;
    std::unique_ptr<JobWindow> jobWindow_;
    // The same for the blocks of a check, which the view marks.
    std::unique_ptr<JobWindow> checkWindow_;
    // The job's changes to the view and the bar, painted at a bounded rate.
    ThrottledPaint jobPaint_{kJobPaintTimer, kJobPaintIntervalMs};
    // What the taskbar button shows; -1 before the first update.
    int taskbarPosition_ = -1;
    // The job's latest position, until the paint timer shows it.
    std::optional<int> heldProgress_;
    // The view's text length after the latest append, and whether its last
    // line was then empty; Length -1 when unknown.
    struct ViewEnd {
        LONG Length = -1;
        bool LastLineEmpty = true;
    } viewEnd_;
    // Texts appended during a job that the view has not taken yet, in order.
    struct PendingResult {
        std::wstring Text;
        TResultStyle Style = TResultStyle::Plain;
    };
    std::deque<PendingResult> pendingResults_;
    bool insertingResults_ = false;
    // The last check, kept for a restart until a hash job or an intake
    // replaces it; it shows through checkWindow_, so it is declared after it.
    std::unique_ptr<ChecksumVerifyWindow> verifyRun_;
    int dpi_ = 96;
    SIZE designClient_{};  // client size the control bounds were laid out for
    UniqueGdiObject font_;
    UniqueGdiObject viewFont_;
    UniqueModule richEditLibrary_;
    bool shown_ = false;
    bool closing_ = false;
    // The session's end waits for the job; a close meanwhile waits for it.
    bool endingSession_ = false;
    bool closeAfterSessionEnd_ = false;
    bool settingsSaved_ = false;  // the settings are saved at most once a run
    TWindowState pendingState_ = TWindowState::wsNormal;
    TBurstCollector burst_;
    // Hand-overs answered and not yet queued.
    std::deque<std::vector<std::wstring>> handOvers_;
    bool takingHandOvers_ = false;
};

// The window instance; set before the window is created, so that a job
// started while the window is being set up already reaches its controls.
extern TFormMain* FormMain;

// The queue of paths, its recursive lock FileListLock and the running job's
// task HashTask, shared by the window, the intakes and the job. It exists
// from FormCreate until FormClose has stopped the job.
extern std::unique_ptr<JobQueueState> JobQueue;

// The taskbar button's progress, where the platform offers ITaskbarList4.
// In a namespace of its own: the shell headers declare a class of that name.
namespace MainUnit {
extern ComPtr<ITaskbarList4> TaskbarList;
}

// The window's font, "Tahoma" of the given height, in the given character set.
HFONT MakeWindowFont(int height, BYTE charset);

// Sets the alignment of every paragraph of a rich-text view (PFA_LEFT,
// PFA_CENTER).
void SetParagraphAlignment(HWND view, WORD alignment);

// Length of a rich-text view's text in UTF-16 units, counted as the GTL_*
// flags ask (GTL_USECRLF: each line break counts twice).
LONG ViewTextLength(HWND view, DWORD flags);

// The caption and version shown in the title bar.
constexpr const wchar_t* kAppTitle = L"Varudodi";
constexpr const wchar_t* kAppVersion = L"1.4.2";
