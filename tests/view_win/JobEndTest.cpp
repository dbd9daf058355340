// The job's end in the view: the blocks still waiting for the paint timer go
// in with one insertion, and the view's paint comes in a message of its own,
// so that the window answers between the two.

#include "ViewFixture.h"  // first: it brings <windows.h>

#include <commctrl.h>

#include <string>

namespace {

class JobEndTest : public ViewFixture {
  protected:
    // Counts the insertions the view is asked for while it lives.
    static LRESULT CALLBACK CountInsertions(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR counter) {
        if (message == EM_SETTEXTEX) ++*reinterpret_cast<int*>(counter);
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
};

TEST_F(JobEndTest, WaitingBlocksGoInAtOnceAndThePaintFollowsInItsOwnMessage) {
    CreateFilledForm(L"");
    int insertions = 0;
    ASSERT_TRUE(
        ::SetWindowSubclass(View(), &CountInsertions, 1, reinterpret_cast<DWORD_PTR>(&insertions)));
    form_->DisableControls();  // as a job starts: the view's paints are paced
    std::wstring expected;
    for (int i = 0; i < 45; ++i) {  // more than the timer puts in at a time
        const std::wstring block = L"块 " + std::to_wstring(i);
        form_->AppendResult(block);
        expected += block + L"\r\n";
    }
    EXPECT_EQ(insertions, 0) << "waiting for the paint timer";

    form_->EnableControls();
    EXPECT_EQ(insertions, 1);
    EXPECT_EQ(ViewText(), expected);
    RECT invalid{};
    EXPECT_TRUE(::GetUpdateRect(View(), &invalid, FALSE)) << "the paint is still to come";

    Pump(200);
    EXPECT_FALSE(::GetUpdateRect(View(), &invalid, FALSE)) << "its WM_PAINT came";
    ::RemoveWindowSubclass(View(), &CountInsertions, 1);
}

}  // namespace
