// The job's end in the view: the blocks still waiting for the paint timer go
// in with one insertion, and the view's paint comes in a message of its own,
// so that the window answers between the two; a view that takes nothing more
// still gives the controls back.

#include "ViewFixture.h"  // first: it brings <windows.h>

#include <commctrl.h>

#include <string>

#include "UserDriver.h"

namespace {

class JobEndTest : public ViewFixture {
  protected:
    // Counts the insertions the view is asked for while it lives.
    static LRESULT CALLBACK CountInsertions(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR counter) {
        if (message == EM_SETTEXTEX) ++*reinterpret_cast<int*>(counter);
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    // A view that takes no more text: every insertion is refused.
    static LRESULT CALLBACK RefuseInsertions(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR) {
        if (message == EM_SETTEXTEX) return 0;
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

TEST_F(JobEndTest, AViewThatTakesNoMoreTextAtTheEndGivesTheControlsBackAndSaysWhy) {
    CreateFilledForm(L"");
    ASSERT_TRUE(::SetWindowSubclass(View(), &RefuseInsertions, 2, 0));
    form_->DisableControls();  // as a job starts
    form_->AppendResult(L"文件名称: a.txt\r\n");
    form_->AppendResult(L"文件名称: b.txt\r\n");

    // The job's last call.
    const SeenMessageBox box = AnswerMessageBox(form_->Handle(), [&] {
        EXPECT_NO_THROW(form_->EnableControls()) << "nobody would show what the job's call raised";
    });
    EXPECT_EQ(box.Caption, kAppTitle);
    EXPECT_EQ(box.Text, L"The result view cannot take more text");
    EXPECT_EQ(form_->Btn_Stop.Caption(), L"开始(&R)");
    EXPECT_EQ(form_->Btn_Stop.Tag, 1);
    for (const TControl* control : {&form_->Btn_Clear, &form_->Btn_Copy, &form_->Btn_Save,
                                    &form_->CB_MD5, &form_->CB_Upcase}) {
        EXPECT_TRUE(control->Enabled()) << control->Name;
    }
    // The refused texts are dropped: the next flush has nothing to fail on.
    form_->FlushResults();
    ::RemoveWindowSubclass(View(), &RefuseInsertions, 2);
}

}  // namespace
