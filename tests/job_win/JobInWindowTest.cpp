// The hash job driven through the real window: blocks in the view, control
// states, stop and start, closing during a job, a file locked by another
// program, and a view holding megabytes of results.

#include "FormFixture.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include "IntakeScans.h"
#include "JobQueueState.h"

namespace {

namespace fs = std::filesystem;

class JobInWindowTest : public FormFixture {
  protected:
    void SetUp() override {
        FormFixture::SetUp();
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        dir_ = fs::path(temp) / (L"varudodi-job-" + std::to_wstring(::GetCurrentProcessId()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        FormFixture::TearDown();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::wstring MakeFile(const std::wstring& name, const std::string& content) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.wstring();
    }
    std::wstring MakeBigFile(const std::wstring& name, std::size_t bytes) {
        const fs::path path = dir_ / name;
        std::ofstream out(path, std::ios::binary);
        std::string block(1 << 20, '\0');
        std::mt19937 random(7);
        for (char& c : block) c = static_cast<char>(random());
        for (std::size_t written = 0; written < bytes; written += block.size()) out << block;
        return path.wstring();
    }

    void Queue(const std::vector<std::wstring>& paths) {
        FileListGuard guard(JobQueue->FileListLock);
        JobQueue->FileList = paths;
    }
    bool Running() { return JobRunning(*JobQueue); }
    bool WaitIdle(DWORD timeoutMs = 120000) {
        return PumpUntil([&] { return !Running(); }, timeoutMs);
    }
    void SetAllOptions(bool checked) {
        for (const TControl* control : form_->Components) {
            if (control->Kind == TControlKind::CheckBox) control->SetChecked(checked);
        }
    }
    int ProgressPosition() const {
        return static_cast<int>(::SendMessageW(form_->ProgressBar.Handle, PBM_GETPOS, 0, 0));
    }
    void ClickStop() { ::SendMessageW(form_->Btn_Stop.Handle, BM_CLICK, 0, 0); }

    fs::path dir_;
};

TEST_F(JobInWindowTest, BlocksAreSeparatedByOneEmptyLine) {
    CreateForm();
    const std::wstring a = MakeFile(L"a.txt", "abc");
    const std::wstring b = MakeFile(L"b.txt", "");
    SetAllOptions(false);
    form_->CB_MD5.SetChecked(true);
    form_->CB_Path.SetChecked(true);
    Queue({a, b});
    form_->StartHash();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(ViewText(), L"文件名称: " + a + L"\r\nMD5: 900150983cd24fb0d6963f7d28e17f72\r\n\r\n" +
                              L"文件名称: " + b +
                              L"\r\nMD5: d41d8cd98f00b204e9800998ecf8427e\r\n\r\n");
    // The empty second file yields no chunk and so no progress update.
    EXPECT_EQ(ProgressPosition(), 50);
}

TEST_F(JobInWindowTest, FullBlockWithEveryOptionSet) {
    CreateForm();
    const std::wstring path = MakeFile(L"digits.txt", "123456789");
    SetAllOptions(true);
    Queue({path});
    form_->StartHash();
    ASSERT_TRUE(WaitIdle());
    const std::wstring text = ViewText();
    const std::wstring expectedStart = L"文件名称: " + path + L"\r\n文件大小: ";
    ASSERT_EQ(text.rfind(expectedStart, 0), 0u);
    EXPECT_NE(text.find(L" (9 字节)\r\n修改时间: "), std::wstring::npos);
    EXPECT_EQ(text.find(L"文件版本"), std::wstring::npos) << "a text file has no version";
    EXPECT_NE(
        text.find(L"\r\nMD5: 25F9E794323B453885F5181F1B624D0B\r\n"
                  L"SHA1: F7C3BC1D808E04732ADF679965CCC34CA7AE3441\r\n"
                  L"SHA256: 15E2B0D3C33891EBB0F1EF609EC419420C20E320CE94C65FBC8C3312448EB225\r\n"
                  L"CRC32: CBF43926\r\n计算时间: 0"),
        std::wstring::npos);
    EXPECT_EQ(text.substr(text.size() - 5), L"s\r\n\r\n");
}

TEST_F(JobInWindowTest, ControlStatesBeforeDuringAndAfterAJob) {
    CreateForm();
    EXPECT_FALSE(form_->Btn_Stop.Enabled());
    EXPECT_EQ(form_->Btn_Stop.Caption(), L"停止(&A)");
    const std::wstring big = MakeBigFile(L"big.bin", 64u << 20);
    Queue(std::vector<std::wstring>(6, big));
    form_->StartHash();
    EXPECT_TRUE(form_->RichEdit1.Enabled());
    EXPECT_TRUE(form_->Btn_ComText.Enabled());
    ASSERT_TRUE(PumpUntil([&] { return form_->Btn_Stop.Enabled(); }));
    EXPECT_EQ(form_->Btn_Stop.Caption(), L"停止(&A)");
    EXPECT_EQ(form_->Btn_Stop.Tag, 0);
    for (const TControl* c : {&form_->Btn_Clear, &form_->Btn_Copy, &form_->Btn_Save, &form_->CB_MD5,
                              &form_->CB_Upcase, &form_->CB_Path}) {
        EXPECT_FALSE(c->Enabled()) << c->Name;
    }
    EXPECT_TRUE(form_->Btn_Browse.Enabled());
    EXPECT_TRUE(form_->Btn_Exit.Enabled());
    ClickStop();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(form_->Btn_Stop.Caption(), L"开始(&R)");
    EXPECT_EQ(form_->Btn_Stop.Tag, 1);
    EXPECT_TRUE(form_->Btn_Stop.Enabled());
    for (const TControl* c : {&form_->Btn_Clear, &form_->Btn_Copy, &form_->Btn_Save, &form_->CB_MD5,
                              &form_->CB_Upcase, &form_->CB_CalcTime}) {
        EXPECT_TRUE(c->Enabled()) << c->Name;
    }
}

TEST_F(JobInWindowTest, StopTwiceThenStartHashesTheWholeListAgain) {
    CreateForm();
    const std::wstring big = MakeBigFile(L"big.bin", 64u << 20);
    const std::wstring small = MakeFile(L"small.txt", "abc");
    SetAllOptions(false);
    form_->CB_CRC32.SetChecked(true);
    form_->CB_Path.SetChecked(true);
    Queue({big, big, big, small});
    form_->StartHash();
    ASSERT_TRUE(PumpUntil([&] { return form_->Btn_Stop.Enabled(); }));
    ClickStop();
    ClickStop();
    ASSERT_TRUE(WaitIdle());
    std::wstring text = ViewText();
    const std::wstring cancelLine = L"取消操作！\r\n\r\n";
    const std::size_t first = text.find(cancelLine);
    ASSERT_NE(first, std::wstring::npos) << "cancellation line";
    EXPECT_NE(text.find(cancelLine, first + 1), std::wstring::npos) << "pressed twice, two lines";
    EXPECT_EQ(text.find(small), std::wstring::npos) << "the job ended before the last file";

    ::SendMessageW(form_->RichEdit1.Handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_EQ(form_->Btn_Stop.Tag, 1);
    ClickStop();  // now "开始(&R)": the whole list again
    EXPECT_TRUE(Running());
    ASSERT_TRUE(WaitIdle());
    text = ViewText();
    EXPECT_NE(text.find(L"文件名称: " + small + L"\r\nCRC32: 352441c2\r\n"), std::wstring::npos)
        << text.size();
    std::size_t blocks = 0;
    for (std::size_t at = text.find(L"文件名称: " + big); at != std::wstring::npos;
         at = text.find(L"文件名称: " + big, at + 1)) {
        ++blocks;
    }
    EXPECT_EQ(blocks, 3u);
    EXPECT_EQ(ProgressPosition(), 100);
}

TEST_F(JobInWindowTest, TextsAppendedDuringAJobReachTheViewWithThePaintInOrder) {
    CreateForm();
    const std::wstring big = MakeBigFile(L"big.bin", 64u << 20);
    Queue(std::vector<std::wstring>(20, big));
    form_->StartHash();
    ASSERT_TRUE(PumpUntil([&] { return form_->Btn_Stop.Enabled(); }));
    // With nothing else happening, the paint timer brings the texts in.
    form_->AppendResult(L"第一段");
    form_->AppendResult(L"第二段");
    ASSERT_TRUE(PumpUntil([&] { return ViewText().find(L"第二段") != std::wstring::npos; }));
    EXPECT_TRUE(Running());
    ClickStop();
    ASSERT_TRUE(WaitIdle());
    // Each text once, in the order given, each on a line of its own.
    const std::wstring text = ViewText();
    const std::size_t first = text.find(L"第一段\r\n第二段\r\n");
    ASSERT_NE(first, std::wstring::npos) << "in order, on lines of their own";
    EXPECT_TRUE(first == 0 || text[first - 1] == L'\n');
    EXPECT_EQ(text.find(L"第一段", first + 3), std::wstring::npos);
    EXPECT_EQ(text.find(L"第二段", first + 8), std::wstring::npos);
}

TEST_F(JobInWindowTest, ClosingDuringAJobStopsItWithoutACancellationLine) {
    CreateForm();
    const std::wstring big = MakeBigFile(L"big.bin", 64u << 20);
    Queue(std::vector<std::wstring>(20, big));
    form_->StartHash();
    ASSERT_TRUE(PumpUntil([&] { return form_->Btn_Stop.Enabled(); }));
    HWND view = form_->RichEdit1.Handle;
    std::wstring lastText;
    // Capture the view as the window goes away.
    ::PostMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    ::PostMessageW(form_->Handle(), WM_CLOSE, 0, 0);  // a second request is absorbed
    ASSERT_TRUE(PumpUntil([&] {
        if (::IsWindow(view)) {
            const int length = ::GetWindowTextLengthW(view);
            lastText.assign(static_cast<std::size_t>(length) + 1, L'\0');
            lastText.resize(
                static_cast<std::size_t>(::GetWindowTextW(view, lastText.data(), length + 1)));
        }
        return form_->Handle() == nullptr;
    }));
    EXPECT_EQ(JobQueue, nullptr) << "the queue is freed after the job ended";
    EXPECT_EQ(lastText.find(L"取消操作！"), std::wstring::npos);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(JobInWindowTest, StartStartsNothingOnceTheCloseGoesAhead) {
    CreateForm();
    Queue({MakeFile(L"a.txt", "abc")});
    form_->StartHash();
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(form_->Btn_Stop.Tag, 1);
    // The close request's first step: no intake scans, so the close goes
    // ahead; it then waits for the job, serving messages, clicks included.
    ASSERT_FALSE(IntakeScans().DeferClose());
    ClickStop();
    EXPECT_FALSE(Running()) << "a job that nothing would cancel";
}

TEST_F(JobInWindowTest, FileLockedWithoutReadSharingReportsTheSharingViolation) {
    CreateForm();
    const std::wstring path = MakeFile(L"locked.txt", "secret");
    UniqueFile lock(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    form_->CB_Path.SetChecked(false);  // error blocks show the full path all the same
    Queue({path});
    form_->StartHash();
    ASSERT_TRUE(WaitIdle());
    wchar_t* reason = nullptr;
    ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, ERROR_SHARING_VIOLATION, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
    ASSERT_NE(reason, nullptr);
    std::wstring expectedReason = reason;
    ::LocalFree(reason);
    while (!expectedReason.empty() &&
           (expectedReason.back() <= L' ' || expectedReason.back() == L'.')) {
        expectedReason.pop_back();
    }
    EXPECT_EQ(ViewText(), L"打开失败：" + path + L"\r\n错误原因：" + expectedReason + L"\r\n\r\n");
    EXPECT_EQ(ProgressPosition(), 100);
}

TEST_F(JobInWindowTest, ViewKeepsMegabytesOfResults) {
    CreateForm();
    Queue({});
    form_->StartHash();  // clears the placeholder
    ASSERT_TRUE(WaitIdle());
    // Blocks handed over from another thread, as the job does: 2,500 blocks of
    // about 500 characters are more than a megabyte.
    const std::wstring digestLine = L"SHA256: " + std::wstring(64, L'A') + L"\r\n";
    std::atomic<bool> done{false};
    std::thread job([&] {
        for (int i = 0; i < 2500; ++i) {
            form_->SynchronizeResult(L"文件名称: " + std::to_wstring(i) + L"\r\n" + digestLine +
                                     digestLine + digestLine + digestLine + digestLine +
                                     digestLine);
        }
        done = true;
    });
    const bool finished = PumpUntil([&] { return done.load(); }, 600000);
    job.join();
    ASSERT_TRUE(finished);
    const std::wstring text = ViewText();
    EXPECT_GT(text.size(), 1000000u);
    EXPECT_EQ(text.rfind(L"文件名称: 0\r\n", 0), 0u) << "the first block is still there";
    EXPECT_NE(text.find(L"\r\n\r\n文件名称: 2499\r\n"), std::wstring::npos);
    std::size_t blocks = 0;
    for (std::size_t at = text.find(L"文件名称: "); at != std::wstring::npos;
         at = text.find(L"文件名称: ", at + 1)) {
        ++blocks;
    }
    EXPECT_EQ(blocks, 2500u);
}

}  // namespace
