// Varudodi.exe started as a separate process: its window is found from
// outside, shows the start-up state, and closes with exit code 0.

#include <gtest/gtest.h>

#include "AppProbe.h"
#include "AppProcess.h"

namespace {

TEST(StartAndClose, WindowAppearsIdleAndClosesWithExitCodeZero) {
    AppProcess app;
    HWND window = probe::WaitForMainWindow(60000, app.Id());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(probe::WindowText(window), L"Varudodi 1.4.2");
    HWND view = probe::ResultView(window);
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(view));
    EXPECT_NE(probe::WindowText(view).find(L"请拖拽文件或者文件夹到这里进行校验 ..."),
              std::wstring::npos);
    EXPECT_TRUE(probe::WaitForIdle(window, 10000));
    ASSERT_TRUE(probe::CloseAndWait(window, 30000));
    ASSERT_TRUE(app.WaitForExit(30000));
    EXPECT_EQ(app.ExitCode(), 0u);
}

}  // namespace
