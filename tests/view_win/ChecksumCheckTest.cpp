// Checking files against a checksum list from the view's popup menu, with
// the open dialog driven as the user drives it: verdicts and summary, their
// colours, Stop and Start during a check and during a drop after it, and a
// list that cannot be opened.

#include "ViewFixture.h"  // first: it brings <windows.h>

// Needs the declarations of <windows.h>.
#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "HashContext.h"
#include "ImportHook.h"
#include "JobPlatform.h"
#include "JobQueueState.h"
#include "UserDriver.h"
#include "Utf8Text.h"
#include "WinTestTree.h"

namespace {

std::string Md5Hex(const std::string& content) {
    THashContext context;
    HashInit(context, CALG_MD5);
    HashUpdate(context, content.data(), static_cast<std::int32_t>(content.size()));
    return WideToUtf8(HashFinal(context, false));
}

// A window of the test's own that notes, when a posted message reaches it,
// whether a job runs.
class JobLook {
  public:
    static constexpr int kNotLooked = -1;
    static constexpr int kNoJob = 0;
    static constexpr int kJobRuns = 1;

    JobLook() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = &Procedure;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.lpszClassName = L"JobLook";
        ::RegisterClassW(&cls);  // fails once the class exists, which is as good
        window_ = ::CreateWindowW(L"JobLook", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  cls.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen_));
    }
    ~JobLook() { ::DestroyWindow(window_); }
    JobLook(const JobLook&) = delete;
    JobLook& operator=(const JobLook&) = delete;

    void Post() const { ::PostMessageW(window_, WM_APP, 0, 0); }
    int Seen() const { return seen_; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            auto* seen = reinterpret_cast<int*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
            *seen = JobRunning(*JobQueue) ? kJobRuns : kNoJob;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    int seen_ = kNotLooked;
};

class ChecksumCheckTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        ::GetCurrentDirectoryW(MAX_PATH, startFolder_);
    }
    void TearDown() override {
        // The dialog may make the list's folder the current one, which would
        // keep the test's folder from being removed.
        ::SetCurrentDirectoryW(startFolder_);
        ViewFixture::TearDown();
    }

    std::wstring In(const std::wstring& name) const { return folder_.Path() + L"\\" + name; }

    // Chooses "校验哈希文件(&V)..." on the view's popup menu and the list in
    // the open dialog. Returns whether the dialog showed.
    bool CheckList(const std::wstring& list) {
        const HWND form = form_->Handle();
        bool dialogShown = false;
        BackgroundUser user([&] {
            const HWND dialog = WaitForOwnedDialog(form);
            if (!dialog) return;
            dialogShown = true;
            TypeFileName(dialog, list);
            PressButton(dialog, IDOK);
            WaitUntilClosed(dialog);
        });
        const bool menuShown = WithPopupMenu([&] { PressMenuKey(); },
                                             [&](HWND) {
                                                 ChooseMenuItem(L'V');
                                                 return true;
                                             });
        user.Join();
        return menuShown && dialogShown;
    }
    // Clicks Save, chooses the file type and types the name.
    void SaveAs(const std::wstring& name, int typeIndex) {
        const HWND form = form_->Handle();
        BackgroundUser user([&] {
            const HWND dialog = WaitForOwnedDialog(form);
            if (!dialog) return;
            ChooseFileType(dialog, typeIndex);
            TypeFileName(dialog, name);
            PressButton(dialog, IDOK);
            WaitUntilClosed(dialog);
        });
        Click(form_->Btn_Save);
        user.Join();
        // The window is activated again after the dialog; a menu opened
        // before that would close at once.
        Pump(200);
    }
    bool WaitIdle() {
        return PumpUntil([&] { return !JobRunning(*JobQueue); }, 120000);
    }
    // The format the view shows `part` of its text in (its first occurrence):
    // read over a selection of it, as the user would select it.
    CHARFORMAT2W FormatOf(const std::wstring& part) const {
        const std::wstring text = ViewText();
        const std::size_t at = text.find(part);
        EXPECT_NE(at, std::wstring::npos) << WideToUtf8(part);
        // The view stores each CR LF as one character.
        LONG start = 0;
        for (std::size_t i = 0; i < at; ++i) {
            if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')) ++start;
        }
        CHARRANGE range{start, start + static_cast<LONG>(part.size())};
        ::SendMessageW(View(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        ::SendMessageW(View(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    // The colour shown over all of `part`; -1 for the view's default colour.
    COLORREF ColourOf(const std::wstring& part) const {
        const CHARFORMAT2W format = FormatOf(part);
        EXPECT_TRUE(format.dwMask & CFM_COLOR) << "one colour over " << WideToUtf8(part);
        return (format.dwEffects & CFE_AUTOCOLOR) ? COLORREF(-1) : format.crTextColor;
    }
    bool BoldOver(const std::wstring& part) const {
        const CHARFORMAT2W format = FormatOf(part);
        EXPECT_TRUE(format.dwMask & CFM_BOLD) << WideToUtf8(part);
        return (format.dwEffects & CFE_BOLD) != 0;
    }

    wchar_t startFolder_[MAX_PATH] = {};
    ScratchFolder folder_{L"校验测试"};
};

TEST_F(ChecksumCheckTest, GoodChangedAndMissingFilesGiveThreeVerdictsAndTheSummary) {
    const std::wstring good = In(L"好 文件.txt");
    const std::wstring changed = In(L"changed.bin");
    WriteFileBytes(good, "abc");
    WriteFileBytes(changed, "now different");
    const std::string list = Md5Hex("abc") + " *\xE5\xA5\xBD \xE6\x96\x87\xE4\xBB\xB6.txt\r\n" +
                             "not a checksum line\r\n" + Md5Hex("as published") +
                             " *changed.bin\r\n" + "\\" + Md5Hex("gone") +
                             "  sub/../missing.txt\r\n";
    WriteFileBytes(In(L"sums.md5"), list);

    CreateFilledForm(L"");
    form_->CB_Upcase.SetChecked(false);
    ASSERT_TRUE(CheckList(In(L"sums.md5")));
    ASSERT_TRUE(WaitIdle());

    const std::wstring expected =
        L"文件名称: " + good + L"\r\nMD5: " + Utf8ToWide(Md5Hex("abc")) +
        L"\r\n校验结果: 一致\r\n\r\n" + L"文件名称: " + changed + L"\r\nMD5: " +
        Utf8ToWide(Md5Hex("now different")) + L"\r\n校验结果: 不一致 (应为 " +
        Utf8ToWide(Md5Hex("as published")) + L")\r\n\r\n" + L"打开失败：" + In(L"missing.txt") +
        L"\r\n错误原因：" + SystemJobPlatform().ErrorReason(ERROR_FILE_NOT_FOUND) + L"\r\n\r\n" +
        L"校验完成：共 3 个文件，1 个一致，1 个不一致，1 个无法读取\r\n无法识别的行：1\r\n"
        L"无法识别的行号：2\r\n\r\n";
    EXPECT_EQ(WideToUtf8(ViewText()), WideToUtf8(expected));
    EXPECT_TRUE(form_->Btn_Save.Enabled());
    EXPECT_TRUE(form_->CB_Upcase.Enabled());
    EXPECT_EQ(form_->Btn_Stop.Caption(), L"开始(&R)");
    EXPECT_EQ(::SendMessageW(form_->ProgressBar.Handle, PBM_GETPOS, 0, 0), 100);
}

TEST_F(ChecksumCheckTest, VerdictsAreColouredTheSummaryBoldInTheViewOnly) {
    const std::wstring good = In(L"好.txt");
    const std::wstring changed = In(L"changed.bin");
    WriteFileBytes(good, "abc");
    WriteFileBytes(changed, "now different");
    WriteFileBytes(In(L"sums.md5"),
                   Md5Hex("abc") + " *\xE5\xA5\xBD.txt\r\nnot a checksum line\r\n" +
                       Md5Hex("as published") + " *changed.bin\r\n" + Md5Hex("gone") +
                       "  missing.txt\r\n" + Md5Hex("") + "  NUL\r\n");
    CreateFilledForm(L"");
    form_->CB_Upcase.SetChecked(false);
    ASSERT_TRUE(CheckList(In(L"sums.md5")));
    ASSERT_TRUE(WaitIdle());
    // A hash job's block after the check.
    form_->AppendResult(L"文件名称: later.txt\r\nMD5: 00\r\n");
    const std::wstring plain = ViewText();
    // The block of the device the check does not open: its two lines.
    const std::size_t refusedAt = plain.find(L"未打开：");
    ASSERT_NE(refusedAt, std::wstring::npos) << WideToUtf8(plain);
    const std::size_t reasonAt = plain.find(L"\r\n", refusedAt) + 2;
    const std::wstring refused = plain.substr(refusedAt, reasonAt - 2 - refusedAt);
    const std::wstring reason = plain.substr(reasonAt, plain.find(L"\r\n", reasonAt) - reasonAt);

    constexpr COLORREF kDefault = COLORREF(-1);
    constexpr COLORREF kGreen = RGB(0, 128, 0);
    constexpr COLORREF kRed = RGB(200, 0, 0);
    const std::wstring summary = L"校验完成：共 4 个文件，1 个一致，1 个不一致，2 个无法读取";
    const struct {
        std::wstring Part;
        COLORREF Colour;
        bool Bold;
    } expected[] = {
        {L"文件名称: " + good, kDefault, false},
        {L"MD5: " + Utf8ToWide(Md5Hex("abc")), kDefault, false},
        {L"校验结果: 一致", kGreen, false},
        {L"校验结果: 不一致 (应为 " + Utf8ToWide(Md5Hex("as published")) + L")", kRed, false},
        {L"打开失败：" + In(L"missing.txt"), kRed, false},
        {L"错误原因：", kDefault, false},
        {refused, kRed, false},
        {reason, kDefault, false},
        {summary, kDefault, true},
        {L"无法识别的行：1", kDefault, false},
        {L"文件名称: later.txt", kDefault, false},
    };
    for (const auto& line : expected) {
        SCOPED_TRACE(WideToUtf8(line.Part));
        EXPECT_EQ(ColourOf(line.Part), line.Colour);
        EXPECT_EQ(BoldOver(line.Part), line.Bold);
    }
    // Windows keeps a single format for all the text of a plain-text view,
    // where Wine's rich edit takes marks all the same.
    EXPECT_TRUE(::SendMessageW(View(), EM_GETTEXTMODE, 0, 0) & TM_RICHTEXT);
    // The marks change nothing else: font and size are the view's own.
    const CHARFORMAT2W name = FormatOf(L"文件名称: " + good);
    for (const std::wstring& part : {std::wstring(L"校验结果: 一致"), summary}) {
        const CHARFORMAT2W marked = FormatOf(part);
        EXPECT_STREQ(marked.szFaceName, name.szFaceName);
        EXPECT_EQ(marked.yHeight, name.yHeight);
    }

    // Copies carry the plain text only.
    const UINT richText = ::RegisterClipboardFormatW(L"Rich Text Format");
    Click(form_->Btn_Copy);
    EXPECT_EQ(ClipboardText(), plain);
    EXPECT_FALSE(::IsClipboardFormatAvailable(richText));
    ASSERT_TRUE(WithPopupMenu([&] { PressMenuKey(); },
                              [&](HWND) {
                                  ChooseMenuItem(L'S');
                                  return true;
                              }));
    ASSERT_TRUE(WithPopupMenu([&] { PressMenuKey(); },
                              [&](HWND) {
                                  ChooseMenuItem(L'C');
                                  return true;
                              }));
    EXPECT_EQ(ClipboardText(), plain);
    EXPECT_FALSE(::IsClipboardFormatAvailable(richText));
    // The view's own copy key, with the selection still over everything.
    SetClipboardText(L"before");
    BYTE keys[256] = {};
    ASSERT_TRUE(::GetKeyboardState(keys));
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageW(View(), WM_KEYDOWN, 'C', 0);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(ClipboardText(), plain);
    EXPECT_FALSE(::IsClipboardFormatAvailable(richText));
}

TEST_F(ChecksumCheckTest, StartWhileADropAfterACheckIsScannedDoesNothing) {
    WriteFileBytes(In(L"a.txt"), "abc");
    WriteFileBytes(In(L"a.md5"), Md5Hex("abc") + "  a.txt\n");
    folder_.MakeFolder(L"dropped");
    constexpr int kDropped = 20;
    for (int i = 0; i < kDropped; ++i) {
        WriteFileBytes(In(L"dropped\\" + std::to_wstring(i) + L".txt"), "x");
    }
    CreateFilledForm(L"");
    ASSERT_TRUE(CheckList(In(L"a.md5")));
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(form_->Btn_Stop.Caption(), L"开始(&R)");
    Click(form_->Btn_Clear);

    // Start, served by the message processing of the dropped folder's scan,
    // and then a look at whether a job runs, still during the scan.
    ::PostMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(form_->Btn_Stop.Id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(form_->Btn_Stop.Handle));
    const JobLook look;
    look.Post();
    ::SendMessageW(form_->Handle(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(MakeDropHandle({In(L"dropped")})), 0);
    EXPECT_EQ(look.Seen(), JobLook::kNoJob) << "Start waits until the scan has ended";
    ASSERT_TRUE(WaitIdle());
    const auto hashedOnce = [&] {
        const std::wstring text = ViewText();
        EXPECT_EQ(text.find(L"校验结果"), std::wstring::npos) << WideToUtf8(text);
        EXPECT_EQ(text.find(L"校验完成"), std::wstring::npos);
        for (int i = 0; i < kDropped; ++i) {
            const std::wstring name =
                L"文件名称: " + In(L"dropped\\" + std::to_wstring(i) + L".txt");
            EXPECT_NE(text.find(name + L"\r\n"), std::wstring::npos) << i;
        }
    };
    hashedOnce();

    // The drop replaced the kept check: Start hashes the dropped files again.
    Click(form_->Btn_Clear);
    Click(form_->Btn_Stop);
    ASSERT_TRUE(WaitIdle());
    hashedOnce();
}

TEST_F(ChecksumCheckTest, PopupOverThePlaceholderOfANewWindowStartsACheck) {
    WriteFileBytes(In(L"a.txt"), "abc");
    WriteFileBytes(In(L"a.md5"), Md5Hex("abc") + "  a.txt\n");
    CreateForm();
    ASSERT_FALSE(form_->RichEdit1.Enabled()) << "the placeholder";
    RECT view{};
    ::GetWindowRect(View(), &view);
    const POINT inside{view.left + 40, view.top + 30};
    // A right click on a disabled control reaches the window under it.
    const auto rightClickOnPlaceholder = [&] {
        ::SendMessageW(form_->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form_->Handle()),
                       MAKELPARAM(inside.x, inside.y));
    };
    // Elsewhere on the window there is no popup.
    EXPECT_FALSE(WithPopupMenu(
        [&] {
            ::SendMessageW(form_->Handle(), WM_CONTEXTMENU,
                           reinterpret_cast<WPARAM>(form_->Handle()),
                           MAKELPARAM(view.left - 5, view.bottom + 5));
        },
        [](HWND) { return false; }));

    const HWND form = form_->Handle();
    BackgroundUser user([&] {
        const HWND dialog = WaitForOwnedDialog(form);
        if (!dialog) return;
        TypeFileName(dialog, In(L"a.md5"));
        PressButton(dialog, IDOK);
        WaitUntilClosed(dialog);
    });
    ASSERT_TRUE(WithPopupMenu(rightClickOnPlaceholder, [&](HWND) {
        ChooseMenuItem(L'V');
        return true;
    }));
    user.Join();
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(form_->RichEdit1.Enabled());
    EXPECT_EQ(ViewText().rfind(L"文件名称: " + In(L"a.txt") + L"\r\n", 0), 0u)
        << WideToUtf8(ViewText());
    EXPECT_NE(ViewText().find(L"1 个一致"), std::wstring::npos);
}

TEST_F(ChecksumCheckTest, StopEndsTheCheckWithoutSummaryAndStartChecksAgain) {
    std::string big(48u << 20, '\0');
    std::mt19937 random(3);
    for (char& c : big) c = static_cast<char>(random());
    WriteFileBytes(In(L"big.bin"), big);
    std::string list;
    for (int i = 0; i < 4; ++i) list += Md5Hex(big) + "  big.bin\n";
    WriteFileBytes(In(L"big.md5"), list);
    big.clear();

    CreateFilledForm(L"");
    ASSERT_TRUE(CheckList(In(L"big.md5")));
    ASSERT_TRUE(PumpUntil([&] { return form_->Btn_Stop.Enabled() && form_->Btn_Stop.Tag == 0; }));
    // The job's control states while the check runs.
    EXPECT_FALSE(form_->CB_Upcase.Enabled());
    EXPECT_FALSE(form_->Btn_Save.Enabled());
    EXPECT_EQ(form_->Btn_Stop.Caption(), L"停止(&A)");
    Click(form_->Btn_Stop);
    ASSERT_TRUE(WaitIdle());
    std::wstring text = ViewText();
    EXPECT_NE(text.find(L"取消操作！"), std::wstring::npos);
    EXPECT_EQ(text.find(L"校验完成"), std::wstring::npos) << "no summary of a stopped check";
    EXPECT_EQ(form_->Btn_Stop.Tag, 1);

    // Start runs the same check again, from its first entry.
    Click(form_->Btn_Clear);
    Click(form_->Btn_Stop);
    ASSERT_TRUE(WaitIdle());
    text = ViewText();
    std::size_t verdicts = 0;
    for (std::size_t at = text.find(L"校验结果: 一致"); at != std::wstring::npos;
         at = text.find(L"校验结果: 一致", at + 1)) {
        ++verdicts;
    }
    EXPECT_EQ(verdicts, 4u);
    EXPECT_NE(text.find(L"校验完成：共 4 个文件，4 个一致，0 个不一致，0 个无法读取\r\n"),
              std::wstring::npos);
}

TEST_F(ChecksumCheckTest, ListThatCannotBeOpenedGivesTheOpenFailureBlock) {
    const std::wstring list = In(L"locked.sfv");
    WriteFileBytes(list, "a 352441c2\n");
    const UniqueFile lock(::CreateFileW(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    CreateFilledForm(L"");
    ASSERT_TRUE(CheckList(list));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(ViewText(), L"打开失败：" + list + L"\r\n错误原因：" +
                              SystemJobPlatform().ErrorReason(ERROR_SHARING_VIOLATION) +
                              L"\r\n\r\n");
    EXPECT_TRUE(form_->Btn_Clear.Enabled());
}

TEST_F(ChecksumCheckTest, EntriesNamingAFolderOrTheListItself) {
    folder_.MakeFolder(L"文件夹");
    const std::wstring list = In(L"self.sha1");
    WriteFileBytes(list, std::string(40, '0') + "  \xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9\n" +
                             std::string(40, '0') + "  self.sha1\n");
    CreateFilledForm(L"");
    form_->CB_Upcase.SetChecked(true);
    ASSERT_TRUE(CheckList(list));
    ASSERT_TRUE(WaitIdle());
    const std::wstring text = ViewText();
    EXPECT_EQ(text.rfind(L"打开失败：" + In(L"文件夹") + L"\r\n错误原因：", 0), 0u)
        << WideToUtf8(text);
    EXPECT_NE(text.find(L"文件名称: " + list + L"\r\nSHA1: "), std::wstring::npos)
        << WideToUtf8(text);
    EXPECT_NE(text.find(L"校验结果: 不一致 (应为 " + std::wstring(40, L'0') + L")\r\n\r\n"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"校验完成：共 2 个文件，0 个一致，1 个不一致，1 个无法读取\r\n"),
              std::wstring::npos);
}

TEST_F(ChecksumCheckTest, SavedListsCheckAsMatchingAndAnsiListsAreRead) {
    const std::wstring first = In(L"a b.txt");
    const std::wstring second = In(L"子 目录\\中.txt");
    folder_.MakeFolder(L"子 目录");
    WriteFileBytes(first, "first");
    WriteFileBytes(second, "second");
    CreateFilledForm(L"");
    for (const TControl* box :
         {&form_->CB_MD5, &form_->CB_SHA1, &form_->CB_SHA256, &form_->CB_CRC32, &form_->CB_Path}) {
        box->SetChecked(true);
    }
    {
        FileListGuard guard(JobQueue->FileListLock);
        JobQueue->FileList = {first, second};
    }
    form_->StartHash();
    ASSERT_TRUE(WaitIdle());

    // Each list type, typed without its extension; then each is checked.
    const wchar_t* const extensions[] = {L".md5", L".sha1", L".sha256", L".sfv"};
    std::vector<std::wstring> lists;
    for (int type = 0; type < 4; ++type) {
        const std::wstring name = In(L"列表" + std::to_wstring(type));
        SaveAs(name, 2 + type);
        lists.push_back(name + extensions[type]);
        ASSERT_NE(::GetFileAttributesW(lists.back().c_str()), INVALID_FILE_ATTRIBUTES) << type;
    }
    for (const std::wstring& list : lists) {
        Click(form_->Btn_Clear);
        ASSERT_TRUE(CheckList(list));
        ASSERT_TRUE(WaitIdle());
        const std::wstring text = ViewText();
        EXPECT_NE(text.find(L"校验完成：共 2 个文件，2 个一致，0 个不一致，0 个无法读取\r\n\r\n"),
                  std::wstring::npos)
            << WideToUtf8(text);
    }

    // A list in code page 936, as older Windows tools write it.
    Click(form_->Btn_Clear);
    WriteFileBytes(In(L"gbk.md5"),
                   Md5Hex("second") + " *\xD7\xD3 \xC4\xBF\xC2\xBC\\\xD6\xD0.txt\r\n");
    ASSERT_TRUE(CheckList(In(L"gbk.md5")));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(ViewText().rfind(L"文件名称: " + second + L"\r\n", 0), 0u) << WideToUtf8(ViewText());
    EXPECT_NE(ViewText().find(L"1 个一致"), std::wstring::npos);
}

// ---- Lists from elsewhere -------------------------------------------------

// Every path the program hands to CreateFileW while a hook is in place, from
// whichever thread.
std::mutex openedMutex;
std::vector<std::wstring> openedPaths;
ImportHook* createFileHook = nullptr;

HANDLE WINAPI RecordCreateFile(LPCWSTR name, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) {
    {
        const std::lock_guard lock(openedMutex);
        openedPaths.emplace_back(name);
    }
    return createFileHook->Original<decltype(&::CreateFileW)>()(name, access, share, security,
                                                                disposition, flags, templateFile);
}

class UntrustedListTest : public ChecksumCheckTest {
  protected:
    void SetUp() override {
        ChecksumCheckTest::SetUp();
        hook_ = std::make_unique<ImportHook>("kernel32.dll", "CreateFileW",
                                             reinterpret_cast<void*>(RecordCreateFile));
        createFileHook = hook_.get();
    }
    void TearDown() override {
        hook_.reset();
        createFileHook = nullptr;
        ChecksumCheckTest::TearDown();
    }
    static bool Opened(const std::wstring& part) {
        const std::lock_guard lock(openedMutex);
        return std::any_of(openedPaths.begin(), openedPaths.end(), [&](const std::wstring& path) {
            return path.find(part) != std::wstring::npos;
        });
    }

    std::unique_ptr<ImportHook> hook_;
};

TEST_F(UntrustedListTest, ALineOfTheListCannotWriteABlockIntoTheReport) {
    // An escaped line whose name holds CRs, each followed by a report line.
    std::string forged(1, '\\');
    forged += Md5Hex("abc");
    forged += WideToUtf8(L"  x\r文件名称: D:/secret/plan.docx\rMD5: ");
    forged += Md5Hex("plan");
    forged += WideToUtf8(L"\r校验结果: 一致\n");
    WriteFileBytes(In(L"forged.md5"), forged);
    CreateFilledForm(L"");
    ASSERT_TRUE(CheckList(In(L"forged.md5")));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(WideToUtf8(ViewText()),
              WideToUtf8(L"校验完成：共 0 个文件，0 个一致，0 个不一致，0 个无法读取\r\n"
                         L"无法识别的行：1\r\n无法识别的行号：1\r\n\r\n"));
}

TEST_F(UntrustedListTest, DevicesAndSharesNamedByALocalListAreNotOpened) {
    const std::string empty = Md5Hex("");
    WriteFileBytes(In(L"devices.md5"), empty + "  NUL\n" + empty + "  \\\\.\\pipe\\x\n" + empty +
                                           "  COM1.txt\n" + empty + "  //server/share/a.bin\n" +
                                           empty + "  empty.txt\n");
    WriteFileBytes(In(L"empty.txt"), "");
    CreateFilledForm(L"");
    form_->CB_Upcase.SetChecked(false);
    ASSERT_TRUE(CheckList(In(L"devices.md5")));
    ASSERT_TRUE(WaitIdle());

    const std::wstring device = L"\r\n原因：校验列表中的设备名称不是文件。\r\n\r\n";
    const std::wstring expected =
        L"未打开：" + In(L"NUL") + device + L"未打开：\\\\.\\pipe\\x" + device + L"未打开：" +
        In(L"COM1.txt") + device +
        L"未打开：\\\\server\\share\\a."
        L"bin\r\n原因：本机上的校验列表指向网络路径，为安全起见不自动连接。"
        L"\r\n\r\n文件名称: " +
        In(L"empty.txt") + L"\r\nMD5: " + Utf8ToWide(empty) + L"\r\n校验结果: 一致\r\n\r\n" +
        L"校验完成：共 5 个文件，1 个一致，0 个不一致，4 个无法读取\r\n\r\n";
    EXPECT_EQ(WideToUtf8(ViewText()), WideToUtf8(expected));
    EXPECT_TRUE(Opened(L"empty.txt")) << "the hook sees the job's opens";
    for (const wchar_t* part : {L"NUL", L"pipe", L"COM1", L"server", L"share"}) {
        EXPECT_FALSE(Opened(part)) << WideToUtf8(part);
    }
}

}  // namespace
