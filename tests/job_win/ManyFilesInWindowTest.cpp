// A job over a folder of many small files in the real window: while the view
// is painted at its own pace, every file's block still arrives whole, once,
// in queue order, and the bar ends full.

#include "FormFixture.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "JobQueueState.h"
#include "UiCallQueue.h"

namespace {

namespace fs = std::filesystem;

class ManyFilesInWindowTest : public FormFixture {
  protected:
    void SetUp() override {
        FormFixture::SetUp();
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        dir_ = fs::path(temp) / (L"varudodi-many-" + std::to_wstring(::GetCurrentProcessId()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        FormFixture::TearDown();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    fs::path dir_;
};

TEST_F(ManyFilesInWindowTest, EveryBlockOnceInQueueOrder) {
    constexpr int kFiles = 2000;
    std::vector<std::wstring> paths;
    for (int i = 0; i < kFiles; ++i) {
        const fs::path path = dir_ / (L"f" + std::to_wstring(i) + L".txt");
        std::ofstream(path, std::ios::binary) << "file " << i;
        paths.push_back(path.wstring());
    }
    CreateForm();
    for (const TControl* control : form_->Components) {
        if (control->Kind == TControlKind::CheckBox) control->SetChecked(false);
    }
    form_->CB_MD5.SetChecked(true);
    form_->CB_Path.SetChecked(true);
    {
        FileListGuard guard(JobQueue->FileListLock);
        JobQueue->FileList = paths;
    }
    form_->StartHash();
    ASSERT_TRUE(PumpUntil([&] { return !JobRunning(*JobQueue); }, 600000));

    // Each block is three lines: the name, the digest, the empty line.
    std::vector<std::wstring> lines;
    const std::wstring text = ViewText();
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = text.find(L"\r\n", begin);
        lines.push_back(text.substr(begin, end - begin));
        begin = end == std::wstring::npos ? text.size() : end + 2;
    }
    ASSERT_EQ(lines.size(), 3u * kFiles);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ASSERT_EQ(lines[3 * i], L"文件名称: " + paths[i]) << "block " << i;
        ASSERT_EQ(lines[3 * i + 1].rfind(L"MD5: ", 0), 0u) << "block " << i;
        ASSERT_EQ(lines[3 * i + 1].size(), 5u + 32u) << "block " << i;
        ASSERT_EQ(lines[3 * i + 2], L"") << "block " << i;
    }
    EXPECT_EQ(::SendMessageW(form_->ProgressBar.Handle, PBM_GETPOS, 0, 0), 100);
}

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR paints) {
    if (message == WM_PAINT) ++*reinterpret_cast<std::atomic<int>*>(paints);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(ManyFilesInWindowTest, TheBarIsPaintedWhileHandOversKeepTheWindowBusy) {
    // A job of small files hands its texts over faster than the view takes
    // them: the window's queue is never empty, so WM_TIMER never comes.
    CreateForm();
    std::atomic<int> paints{0};
    HWND bar = form_->ProgressBar.Handle;
    ASSERT_TRUE(::SetWindowSubclass(bar, CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints)));
    form_->DisableControls();  // as a job does: the bar's paints wait for the timer
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::thread job([&] {
        for (int step = 0; !stop; ++step) {
            form_->UiCalls().Post([this, step] {
                form_->UpdateProgress(step % 100);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
        }
        finished = true;
    });
    Pump(100);
    paints = 0;
    Pump(1500);
    const int painted = paints;
    stop = true;
    EXPECT_TRUE(PumpUntil([&] { return finished.load(); }));
    job.join();
    form_->UiCalls().RunPending();
    form_->EnableControls();
    ::RemoveWindowSubclass(bar, CountPaints, 1);
    EXPECT_GE(painted, 5) << "painted " << painted << " times in 1.5 s";
}

LRESULT CALLBACK CountPositionChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR changes) {
    if (message == PBM_SETPOS) ++*reinterpret_cast<int*>(changes);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(ManyFilesInWindowTest, TheBarTakesTheLatestPositionWhenTheTimerPaints) {
    // Each change of the bar costs calls to the window system: a big file's
    // updates between two paints would pay them for nothing.
    CreateForm();
    HWND bar = form_->ProgressBar.Handle;
    int changes = 0;
    ASSERT_TRUE(
        ::SetWindowSubclass(bar, CountPositionChanges, 2, reinterpret_cast<DWORD_PTR>(&changes)));
    form_->DisableControls();
    for (int position = 1; position <= 40; ++position) form_->UpdateProgress(position);
    EXPECT_EQ(changes, 0);
    ::SendMessageW(form_->Handle(), WM_TIMER, kJobPaintTimer, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 40);
    form_->UpdateProgress(70);
    form_->EnableControls();  // the job's end shows what waits
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 70);
    ::RemoveWindowSubclass(bar, CountPositionChanges, 2);
}

}  // namespace
