#pragma once
// Where the time of a job goes, stage by stage: each StageTimer adds the
// time from its construction to its end to its stage's total, from any
// thread. Built in only with VARUDODI_STAGE_TIMES (the benchmarks' builds);
// otherwise a StageTimer is nothing and costs nothing.

#include <string>
#include <utility>

enum class Stage : unsigned {
    FolderScan,  // the intake's walk of a folder, per folder
    Open,        // opening the file
    Size,        // asking its size
    NameLine,    // the detail lines, each
    SizeLine,
    VersionLine,
    TimeLine,
    BeginContexts,   // the selected hash contexts begun
    Hashing,         // reading and hashing the content
    FinishContexts,  // the digests finished and their lines written
    CalcTimeLine,
    Close,          // closing the file
    BlockHandOver,  // the job handing a block (and progress) to the window
    ProgressHandOver,
    WindowBlock,    // the window taking a block (UI thread)
    ViewInsertion,  // texts going into the view (UI thread)
    ProgressBar,    // the progress bar (UI thread)
    Taskbar,        // the taskbar button's progress (UI thread)
    Paint,          // the paint timer's paints (UI thread)
    Count
};

#ifdef VARUDODI_STAGE_TIMES
#include <chrono>

class StageTimer {
  public:
    explicit StageTimer(Stage stage) : stage_(stage), start_(std::chrono::steady_clock::now()) {}
    ~StageTimer();
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

  private:
    Stage stage_;
    std::chrono::steady_clock::time_point start_;
};

inline constexpr bool kStageTimesBuiltIn = true;
#else
class StageTimer {
  public:
    explicit StageTimer(Stage) {}
};

inline constexpr bool kStageTimesBuiltIn = false;
#endif

// Runs `work` under a timer of `stage` and returns what it returns.
template <class Work>
decltype(auto) TimeStage(Stage stage, Work&& work) {
    const StageTimer timer(stage);
    return std::forward<Work>(work)();
}

// One line per stage that ran: its name, how often, its total and its mean;
// empty when the stage times are not built in.
std::string StageTimesTable();
void ResetStageTimes();
