// A burst of starts in one process: the election by the mutex, the hand-over
// to the collecting window, and the window that refuses once it closes. The
// starts that do not win run on threads of their own, since the mutex lets
// its owner's thread in again.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BurstHandOver.h"
#include "FormFixture.h"
#include "HandOverPayload.h"
#include "JobQueueState.h"

namespace {

std::wstring TestName() {
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    return std::wstring(name.begin(), name.end());
}

class BurstWindowTest : public FormFixture {
  protected:
    // Names of this test alone, so that no other program's burst meets it.
    TBurstNames names =
        BurstNamesFor(L"C:\\varudodi-burst-test\\" + std::to_wstring(::GetCurrentProcessId()) +
                          L"\\" + TestName(),
                      L"test");
    ScratchFolder folder{L"varudodi-burst-test"};

    std::wstring MakeFile(const std::wstring& name, const std::string& content) {
        const std::wstring path = folder.Path() + L"\\" + name;
        WriteFileBytes(path, content);
        return path;
    }
    // The window started with `arguments`, collecting its burst.
    void CreateCollectingForm(const std::vector<std::wstring>& arguments) {
        TBurstStart start = JoinBurst(arguments, names, 0);
        ASSERT_EQ(start.Role, TBurstRole::Collector);
        CreateForm(arguments);
        form_->CollectBurst(std::move(start.Collector));
        ASSERT_TRUE(form_->Collecting());
    }
    // The role another start gets, joining from a thread of its own while
    // this thread serves the window.
    TBurstRole JoinFromAnotherThread(const std::vector<std::wstring>& arguments,
                                     DWORD waitForCollectorMs) {
        std::atomic<bool> done{false};
        TBurstRole role = TBurstRole::OwnWindow;
        std::thread start([&] {
            // A start that wins is elected and lets go again on its own thread.
            role = JoinBurst(arguments, names, waitForCollectorMs).Role;
            done = true;
        });
        PumpUntil([&] { return done.load(); }, 120000);
        start.join();
        return role;
    }
    std::vector<std::wstring> Queue() {
        FileListGuard guard(JobQueue->FileListLock);
        return JobQueue->FileList;
    }
    bool WaitIdle() {
        return PumpUntil([&] { return !JobRunning(*JobQueue); }, 120000);
    }
};

TEST_F(BurstWindowTest, TheOtherStartsHandTheirPathsToTheCollectingWindowInOrder) {
    const std::wstring a = MakeFile(L"a.txt", "a");
    const std::wstring b = MakeFile(L"b.txt", "b");
    const std::wstring c = MakeFile(L"c.txt", "c");
    CreateCollectingForm({a});
    EXPECT_EQ(FindCollectingWindow(names.Property), form_->Handle());
    EXPECT_EQ(JoinFromAnotherThread({b}, 10000), TBurstRole::HandedOver);
    EXPECT_EQ(JoinFromAnotherThread({c}, 10000), TBurstRole::HandedOver);
    ASSERT_TRUE(WaitIdle());
    const std::vector<std::wstring> queue = Queue();
    ASSERT_FALSE(queue.empty());
    EXPECT_EQ(queue.back(), c) << "appended in the order the hand-overs came";
    for (const std::wstring& path : {a, b, c}) {
        EXPECT_NE(ViewText().find(path), std::wstring::npos) << "a block for each start";
    }
}

TEST_F(BurstWindowTest, ARelativeArgumentIsHandedOverAsAFullPath) {
    const std::wstring a = MakeFile(L"a.txt", "a");
    const std::wstring b = MakeFile(L"b 二.txt", "b");
    CreateCollectingForm({a});
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.Path().c_str()));
    const TBurstRole role = JoinFromAnotherThread({L"b 二.txt"}, 10000);
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(role, TBurstRole::HandedOver);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Queue().back(), b);
}

TEST_F(BurstWindowTest, AHandOverIsAnsweredBeforeItsFolderIsScanned) {
    // The sender waits for its answer only so long: a folder whose scan took
    // longer would otherwise end up in two windows.
    const std::wstring a = MakeFile(L"a.txt", "a");
    const std::wstring sub = folder.MakeFolder(L"sub");
    const std::wstring inside = MakeFile(L"sub\\b.txt", "b");
    CreateCollectingForm({a});
    ASSERT_TRUE(WaitIdle());
    std::vector<std::uint8_t> payload = EncodeHandOver({sub});
    COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(payload.size()), payload.data()};
    EXPECT_EQ(::SendMessageW(form_->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)),
              TRUE);
    EXPECT_EQ(Queue(), std::vector<std::wstring>{a}) << "nothing scanned before the answer";
    ASSERT_TRUE(PumpUntil([&] { return ViewText().find(inside) != std::wstring::npos; }, 120000));
    EXPECT_EQ(Queue().back(), inside);
}

TEST_F(BurstWindowTest, AStartAfterTheQuietTimeIsElectedAgain) {
    CreateCollectingForm({MakeFile(L"a.txt", "a")});
    // The quiet time's timer ends the collecting.
    ::SendMessageW(form_->Handle(), WM_TIMER, kBurstTimer, 0);
    EXPECT_FALSE(form_->Collecting());
    EXPECT_EQ(FindCollectingWindow(names.Property), nullptr);
    EXPECT_EQ(JoinFromAnotherThread({MakeFile(L"b.txt", "b")}, 10000), TBurstRole::Collector);
}

TEST_F(BurstWindowTest, AStartOpensItsOwnWindowWhenTheCollectorShowsNone) {
    // Elected here, the window never published: the other start gives up
    // waiting and keeps its paths.
    TBurstStart collector = JoinBurst({MakeFile(L"a.txt", "a")}, names, 0);
    ASSERT_EQ(collector.Role, TBurstRole::Collector);
    EXPECT_EQ(JoinFromAnotherThread({MakeFile(L"b.txt", "b")}, 300), TBurstRole::OwnWindow);
}

TEST_F(BurstWindowTest, HandOversTheWindowRefusesChangeNothing) {
    const std::wstring a = MakeFile(L"a.txt", "a");
    const std::wstring b = MakeFile(L"b.txt", "b");
    CreateCollectingForm({a});
    ASSERT_TRUE(WaitIdle());
    const std::wstring before = ViewText();
    std::vector<std::uint8_t> good = EncodeHandOver({b});
    std::vector<std::uint8_t> odd = good;
    odd.push_back(0);
    std::vector<std::uint8_t> unterminated(good.begin(), good.end() - 2);
    unterminated[0] -= 1;
    std::vector<std::uint8_t> beyond = good;
    beyond[0] += 8;
    // "b.txt" with its NUL, a payload the sender would never write.
    std::vector<std::uint8_t> relative = {6, 0, 0, 0, 'b', 0, '.', 0, 't', 0, 'x', 0, 't', 0, 0, 0};
    struct Case {
        const char* What;
        ULONG_PTR Tag;
        std::vector<std::uint8_t>* Bytes;
    };
    const Case cases[] = {
        {"a wrong tag", kHandOverTag + 1, &good},
        {"an odd size", kHandOverTag, &odd},
        {"no terminator", kHandOverTag, &unterminated},
        {"a claimed size beyond the data", kHandOverTag, &beyond},
        {"a relative path", kHandOverTag, &relative},
    };
    for (const Case& c : cases) {
        COPYDATASTRUCT data{c.Tag, static_cast<DWORD>(c.Bytes->size()), c.Bytes->data()};
        EXPECT_EQ(::SendMessageW(form_->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)),
                  FALSE)
            << c.What;
    }
    Pump(100);
    EXPECT_FALSE(JobRunning(*JobQueue));
    EXPECT_EQ(ViewText(), before);
    EXPECT_EQ(Queue(), std::vector<std::wstring>{a});
    // The same window still takes a whole hand-over.
    COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(good.size()), good.data()};
    EXPECT_EQ(::SendMessageW(form_->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)),
              TRUE);
    EXPECT_TRUE(PumpUntil([&] { return ViewText().find(b) != std::wstring::npos; }, 120000));
}

// Runs a function when a message posted to it is served: inside the message
// processing of whatever runs on this thread at that moment.
class PostedCall {
  public:
    explicit PostedCall(std::function<void()> call) : call_(std::move(call)) {
        window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
    }
    ~PostedCall() { ::DestroyWindow(window_); }
    PostedCall(const PostedCall&) = delete;
    PostedCall& operator=(const PostedCall&) = delete;
    void Post() const { ::PostMessageW(window_, WM_APP, 0, 0); }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_APP) {
            reinterpret_cast<PostedCall*>(::GetWindowLongPtrW(window, GWLP_USERDATA))->call_();
            return 0;
        }
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
    std::function<void()> call_;
    HWND window_ = nullptr;
};

TEST_F(BurstWindowTest, AClosingWindowRefusesAndTheStartIsElectedForAWindowOfItsOwn) {
    std::string big(16u << 20, 'x');
    const std::wstring bigFile = MakeFile(L"big.bin", big);
    CreateCollectingForm({bigFile, bigFile, bigFile, bigFile, bigFile, bigFile});
    ASSERT_TRUE(PumpUntil([&] { return form_->Btn_Stop.Enabled(); }));
    const HWND window = form_->Handle();
    const std::wstring late = MakeFile(L"late.txt", "late");

    // Served while the close waits for the job to stop.
    bool servedWhileClosing = false;
    LRESULT reply = -1;
    TBurstRole role = TBurstRole::HandedOver;
    PostedCall duringClose([&] {
        servedWhileClosing = ::IsWindow(window) && JobQueue && JobRunning(*JobQueue);
        std::vector<std::uint8_t> payload = EncodeHandOver({late});
        COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(payload.size()), payload.data()};
        reply = ::SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        role = JoinFromAnotherThread({late}, 10000);
    });
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    duringClose.Post();
    ASSERT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, 120000));
    ASSERT_TRUE(servedWhileClosing) << "the close did not wait for the job";
    EXPECT_EQ(reply, FALSE);
    EXPECT_EQ(role, TBurstRole::Collector) << "no window collects: the start opens its own";
}

}  // namespace
