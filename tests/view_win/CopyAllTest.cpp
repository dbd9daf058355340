// Copying all results to the clipboard as the report's own lines.

#include "ViewFixture.h"  // first: it brings <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "JobPlatform.h"
#include "UserDriver.h"

namespace {

class CopyAllTest : public ViewFixture {};

// Keeps the clipboard open on a thread of its own while it lives, or for
// `holdMs` only.
class ClipboardHolder {
  public:
    explicit ClipboardHolder(DWORD holdMs = INFINITE)
        : thread_([this, holdMs] {
              const bool opened = ::OpenClipboard(nullptr) != FALSE;
              state_ = opened ? 1 : -1;
              const ULONGLONG until = ::GetTickCount64() + holdMs;
              while (opened && !release_ && (holdMs == INFINITE || ::GetTickCount64() < until)) {
                  ::Sleep(10);
              }
              if (opened) ::CloseClipboard();
          }) {
        while (state_ == 0) ::Sleep(10);
    }
    ~ClipboardHolder() {
        release_ = true;
        thread_.join();
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool Holds() const { return state_ == 1; }

  private:
    std::atomic<int> state_{0};
    std::atomic<bool> release_{false};
    std::thread thread_;
};

TEST_F(CopyAllTest, EveryLineEndsInOneCrLf) {
    const struct {
        const char* Name;
        std::wstring View;
        std::wstring Clipboard;
    } cases[] = {
        {"view ends with a line break", L"MD5: AB\r\nCRC32: 01\r\n", L"MD5: AB\r\nCRC32: 01\r\n"},
        {"last line holds text", L"MD5: AB\r\nCRC32: 01", L"MD5: AB\r\nCRC32: 01\r\n"},
        {"empty view", L"", L""},
        {"empty lines inside", L"a\r\n\r\nb\r\n", L"a\r\n\r\nb\r\n"},
        {"a whole report block", ReportBlock(L"C:\\报告\\校验.bin", true),
         ReportBlock(L"C:\\报告\\校验.bin", true)},
    };
    CreateFilledForm(L"");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ::SetWindowTextW(View(), L"");
        AppendToView(c.View);
        SetClipboardText(L"earlier clipboard text");
        Click(form_->Btn_Copy);
        bool available = false;
        EXPECT_EQ(ClipboardText(&available), c.Clipboard);
        EXPECT_TRUE(available) << "Unicode text replaces what was there";
    }
}

TEST_F(CopyAllTest, WrappedLinesReachTheClipboardWhole) {
    const std::wstring path =
        L"C:\\很长的文件夹名称\\" + std::wstring(90, L'x') + L"\\校验文件.iso";
    const std::wstring block = ReportBlock(path, true) + ReportBlock(path, false);
    CreateFilledForm(block);
    // The narrowest window the frame allows.
    ::SetWindowPos(form_->Handle(), nullptr, 0, 0, 511, 397, SWP_NOMOVE | SWP_NOZORDER);
    // Lines wrap at the view's width.
    ::SendMessageW(View(), EM_SETTARGETDEVICE, 0, 0);
    Pump(50);
    const LRESULT shownLines = ::SendMessageW(View(), EM_GETLINECOUNT, 0, 0);
    ASSERT_GT(shownLines, 15) << "the long lines wrap at the view's width";

    Click(form_->Btn_Copy);
    EXPECT_EQ(ClipboardText(), block);
}

TEST_F(CopyAllTest, ClipboardHeldElsewhereShowsTheErrorBox) {
    CreateFilledForm(ReportBlock(L"C:\\a.bin", false));
    SetClipboardText(L"held");
    SeenMessageBox box;
    DWORD code = 0;
    {
        const ClipboardHolder holder;
        ASSERT_TRUE(holder.Holds());
        // The system's own reason for the refusal.
        ::SetLastError(0);
        const bool refused = !::OpenClipboard(form_->Handle());
        code = ::GetLastError();
        if (!refused) ::CloseClipboard();
        ASSERT_TRUE(refused);
        box = AnswerMessageBox(form_->Handle(), [&] { Click(form_->Btn_Copy); });
    }
    EXPECT_EQ(box.Caption, L"Varudodi");
    EXPECT_EQ(box.Text, L"Cannot open clipboard: " + SystemJobPlatform().ErrorReason(code));
    EXPECT_EQ(box.Icon, ::LoadIconW(nullptr, IDI_ERROR));
    EXPECT_EQ(ClipboardText(), L"held");
    // The window stays usable.
    Click(form_->Btn_Copy);
    EXPECT_EQ(ClipboardText(), ReportBlock(L"C:\\a.bin", false));
}

// Another program holding the clipboard for a moment is waited for; only one
// that keeps it (above) gets the error box.
TEST_F(CopyAllTest, ClipboardHeldForAMomentIsWaitedFor) {
    CreateFilledForm(ReportBlock(L"C:\\a.bin", false));
    SetClipboardText(L"held");
    BoxWatcher boxes(form_->Handle());
    {
        const ClipboardHolder holder(150);
        ASSERT_TRUE(holder.Holds());
        Click(form_->Btn_Copy);
    }
    EXPECT_TRUE(boxes.Stop().empty()) << "no error box";
    EXPECT_EQ(ClipboardText(), ReportBlock(L"C:\\a.bin", false));
}

}  // namespace
