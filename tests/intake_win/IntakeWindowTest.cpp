// The intakes of the real window: drops sent as real drop handles, the open
// dialog driven from another thread as a user would, the command line, and
// closing the window while a drop still scans.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "FormFixture.h"
#include "JobQueueState.h"
#include "RegistryStoreWin32.h"
#include "WinTestTree.h"
// The list view messages, after the base declarations.
#include <commctrl.h>

namespace {

using Paths = std::vector<std::wstring>;

Paths Sorted(Paths paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::size_t Occurrences(const std::wstring& text, const std::wstring& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos;
         at = text.find(part, at + part.size()))
        ++count;
    return count;
}

class IntakeWindowTest : public FormFixture {
  protected:
    void OpenForm(const Paths& arguments = {}) {
        CreateForm(arguments);
        ASSERT_TRUE(WaitIdle());
        // Small blocks: the name line with the full path, then MD5. The
        // loaded states come back before the window closes, so that the
        // tests leave the stored settings as they found them.
        for (const TControl* control : form_->Components) {
            if (control->Kind != TControlKind::CheckBox) continue;
            loadedOptions_.emplace_back(control, control->Checked());
            control->SetChecked(false);
        }
        form_->CB_MD5.SetChecked(true);
        form_->CB_Path.SetChecked(true);
    }
    void TearDown() override {
        if (form_ && form_->Handle()) {
            for (const auto& [control, checked] : loadedOptions_) control->SetChecked(checked);
        }
        FormFixture::TearDown();
    }
    void Drop(const Paths& paths) {
        ::SendMessageW(form_->Handle(), WM_DROPFILES,
                       reinterpret_cast<WPARAM>(MakeDropHandle(paths)), 0);
    }
    Paths Queue() {
        FileListGuard guard(JobQueue->FileListLock);
        return JobQueue->FileList;
    }
    void SetQueue(const Paths& paths) {
        FileListGuard guard(JobQueue->FileListLock);
        JobQueue->FileList = paths;
    }
    bool Running() { return JobRunning(*JobQueue); }
    bool WaitIdle(DWORD timeoutMs = 120000) {
        return PumpUntil([&] { return !Running(); }, timeoutMs);
    }
    // A file of `chunks` full read chunks, so that a job over it takes a while.
    std::wstring BigFile(const std::wstring& relative, int chunks) {
        const HANDLE file = ::CreateFileW(tree.At(relative).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        std::vector<char> block(0x640000, 'b');
        for (int i = 0; i < chunks; ++i) {
            DWORD written = 0;
            ::WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
        }
        ::CloseHandle(file);
        return tree.At(relative);
    }
    static std::wstring NameLine(const std::wstring& path) {
        return L"文件名称: " + path + L"\r\n";
    }
    static std::wstring OpenFailure(const std::wstring& path) {
        return L"打开失败：" + path + L"\r\n";
    }

    TWinTree tree;
    std::vector<std::pair<const TControl*, bool>> loadedOptions_;
};

TEST_F(IntakeWindowTest, ADropOnTheIdleWindowReplacesTheQueueAndStartsAJob) {
    OpenForm();
    tree.File(L"a.txt");
    SetQueue({tree.At(L"old.txt")});

    Drop({tree.At(L"a.txt")});
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(Queue(), Paths{tree.At(L"a.txt")});
    EXPECT_EQ(Occurrences(ViewText(), NameLine(tree.At(L"a.txt"))), 1u);
    EXPECT_EQ(ViewText().find(L"old.txt"), std::wstring::npos);
}

TEST_F(IntakeWindowTest, ADropDuringAJobAppendsAndAPathQueuedTwiceIsHashedTwice) {
    OpenForm();
    const std::wstring big = BigFile(L"big.bin", 3);
    tree.File(L"a.txt");
    SetQueue({big, tree.At(L"a.txt")});
    form_->StartHash();
    ASSERT_TRUE(Running());

    Drop({tree.At(L"a.txt")});  // the job cannot end before this thread serves it again
    EXPECT_EQ(Queue(), (Paths{big, tree.At(L"a.txt"), tree.At(L"a.txt")}));
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(Occurrences(ViewText(), NameLine(tree.At(L"a.txt"))), 2u);
    EXPECT_EQ(Occurrences(ViewText(), NameLine(big)), 1u);
}

TEST_F(IntakeWindowTest, ASecondDropDuringTheScanOfTheFirstAddsToItsPaths) {
    OpenForm();
    tree.Folder(L"dir");
    for (int file = 0; file < 20; ++file) tree.File(L"dir\\" + std::to_wstring(file));
    tree.File(L"first.txt");
    tree.File(L"second.txt");
    SetQueue({tree.At(L"old.txt")});

    // Served by the message processing of the folder's scan, after the
    // first dropped file is queued and while no job runs yet.
    ::PostMessageW(form_->Handle(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(MakeDropHandle({tree.At(L"second.txt")})), 0);
    Drop({tree.At(L"first.txt"), tree.At(L"dir")});
    ASSERT_TRUE(WaitIdle());

    Paths expected{tree.At(L"first.txt"), tree.At(L"second.txt")};
    for (int file = 0; file < 20; ++file)
        expected.push_back(tree.At(L"dir\\" + std::to_wstring(file)));
    EXPECT_EQ(Sorted(Queue()), Sorted(expected));
    const std::wstring view = ViewText();
    for (const std::wstring& path : expected) {
        EXPECT_EQ(Occurrences(view, NameLine(path)), 1u) << path.size();
    }
    EXPECT_EQ(view.find(L"old.txt"), std::wstring::npos);
}

TEST_F(IntakeWindowTest, ADroppedFolderQueuesItsSubfolderFirst) {
    OpenForm();
    tree.Folder(L"dir\\sub");
    tree.File(L"dir\\sub\\inner.txt");
    tree.File(L"dir\\own.txt");

    Drop({tree.At(L"dir")});
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(Queue(), (Paths{tree.At(L"dir\\sub\\inner.txt"), tree.At(L"dir\\own.txt")}));
    const std::wstring view = ViewText();
    EXPECT_LT(view.find(NameLine(tree.At(L"dir\\sub\\inner.txt"))),
              view.find(NameLine(tree.At(L"dir\\own.txt"))));
}

TEST_F(IntakeWindowTest, AHiddenSubfolderIsSkippedAndAHiddenFileQueued) {
    OpenForm();
    tree.Folder(L"dir\\hid");
    tree.File(L"dir\\hid\\never.txt");
    tree.File(L"dir\\hidden.txt");
    tree.File(L"dir\\plain.txt");
    ASSERT_TRUE(tree.SetAttributes(L"dir\\hid", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(tree.SetAttributes(L"dir\\hidden.txt", FILE_ATTRIBUTE_HIDDEN));

    Drop({tree.At(L"dir")});
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(Sorted(Queue()), Sorted({tree.At(L"dir\\hidden.txt"), tree.At(L"dir\\plain.txt")}));
}

TEST_F(IntakeWindowTest, ADroppedDriveRootGivesTwoBackslashesAndIsHashed) {
    OpenForm();
    tree.Folder(L"s");
    tree.File(L"s\\g.txt");
    tree.File(L"f.txt");
    const TDriveMapping drive(tree.At());
    if (drive.Root().empty()) GTEST_SKIP() << "no free drive letter could be mapped";

    Drop({drive.Root()});
    ASSERT_TRUE(WaitIdle());

    const Paths expected{drive.Root() + L"\\s\\g.txt", drive.Root() + L"\\f.txt"};
    EXPECT_EQ(Queue(), expected);
    for (const std::wstring& path : expected)
        EXPECT_EQ(Occurrences(ViewText(), NameLine(path)), 1u) << path;
}

TEST_F(IntakeWindowTest, ADroppedPathBeyond259CharactersIsTakenWhole) {
    OpenForm();
    std::wstring deep;
    while (tree.At(deep).size() < 280)
        deep += (deep.empty() ? L"" : L"\\") + std::wstring(60, L'p');
    tree.Folder(deep);
    tree.File(deep + L"\\long.txt");
    const std::wstring longPath = tree.At(deep + L"\\long.txt");
    ASSERT_GT(longPath.size(), 259u);

    Drop({longPath});
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(Queue(), Paths{longPath});
    EXPECT_EQ(Occurrences(ViewText(), NameLine(longPath)), 1u);
}

TEST_F(IntakeWindowTest, ADroppedFolderWithALinkLoopQueuesEachFileOnce) {
    OpenForm();
    tree.Folder(L"dir\\a");
    tree.File(L"dir\\a\\a.txt");
    if (!tree.FolderLink(L"dir\\a\\up", tree.At(L"dir"))) {
        GTEST_SKIP() << "this system makes no folder links for an unprivileged user";
    }

    Drop({tree.At(L"dir")});
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(Queue(), Paths{tree.At(L"dir\\a\\a.txt")});
}

TEST_F(IntakeWindowTest, TheCommandLineQueuesFoldersRelativeAndMissingPaths) {
    tree.Folder(L"dir\\sub");
    tree.File(L"dir\\sub\\s.txt");
    tree.File(L"dir\\d.txt");
    tree.File(L"rel.txt");
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(tree.At().c_str()));
    const std::wstring missing = tree.At(L"missing.txt");

    OpenForm({tree.At(L"dir"), L"rel.txt", missing});
    const Paths queued = Queue();
    const std::wstring view = ViewText();
    ::SetCurrentDirectoryW(previous);

    EXPECT_EQ(queued,
              (Paths{tree.At(L"dir\\sub\\s.txt"), tree.At(L"dir\\d.txt"), L"rel.txt", missing}));
    // Started from FormCreate, the job ran with the stored options.
    EXPECT_EQ(Occurrences(view, NameLine(L"rel.txt")), 1u);
    EXPECT_EQ(Occurrences(view, OpenFailure(L"rel.txt")), 0u);
    EXPECT_EQ(Occurrences(view, OpenFailure(missing)), 1u);
}

TEST_F(IntakeWindowTest, NoArgumentStartsNoJob) {
    OpenForm();
    EXPECT_TRUE(Queue().empty());
    EXPECT_FALSE(form_->RichEdit1.Enabled()) << "the placeholder stays until a job starts";
}

// Finds the visible open dialog owned by `owner`.
HWND FindOpenDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            if (std::wstring(className) == L"#32770" && ::GetWindow(window, GW_OWNER) == s->owner &&
                ::IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dialog's file name box: the classic dialog's combo box, or the item
// dialog's edit box.
HWND FileNameBox(HWND dialog) {
    const HWND combo = ::GetDlgItem(dialog, cmb13);
    return combo ? combo : ::GetDlgItem(dialog, edt1);
}

// Types each text into the dialog's file name box and presses Open, as a
// user would; the UI thread meanwhile runs the dialog.
void TypeIntoOpenDialog(HWND owner, Paths texts, std::atomic<bool>& done) {
    HWND dialog = nullptr;
    for (int attempt = 0; attempt < 300 && !dialog; ++attempt) {
        dialog = FindOpenDialog(owner);
        if (!dialog) ::Sleep(50);
    }
    for (const std::wstring& text : texts) {
        if (!dialog) break;
        ::Sleep(200);
        ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    }
    done = true;
}

TEST_F(IntakeWindowTest, TheOpenDialogQueuesEveryChosenNameInItsOrderWithoutExistenceTest) {
    OpenForm();
    tree.Folder(L"pick");
    tree.File(L"pick\\a.txt");
    tree.File(L"pick\\b.txt");
    SetQueue({tree.At(L"old.txt")});
    std::atomic<bool> typed{false};
    std::thread user(TypeIntoOpenDialog, form_->Handle(),
                     Paths{tree.At(L"pick"), L"\"b.txt\" \"a.txt\" \"missing.txt\""},
                     std::ref(typed));

    ::PostMessageW(form_->Btn_Browse.Handle, BM_CLICK, 0, 0);
    const bool closed = PumpUntil([&] { return typed.load(); }, 60000);
    user.join();
    ASSERT_TRUE(closed);
    ASSERT_TRUE(WaitIdle());

    const Paths expected{tree.At(L"pick\\b.txt"), tree.At(L"pick\\a.txt"),
                         tree.At(L"pick\\missing.txt")};
    EXPECT_EQ(Queue(), expected);
    EXPECT_EQ(form_->OpenDialog1.Files, expected);
    EXPECT_EQ(Occurrences(ViewText(), OpenFailure(tree.At(L"pick\\missing.txt"))), 1u);
    EXPECT_EQ(Occurrences(ViewText(), NameLine(tree.At(L"pick\\a.txt"))), 1u);
}

// Finds the first descendant window of `parent` with the class `className`.
HWND FindDescendant(HWND parent, const wchar_t* className) {
    for (HWND child = ::FindWindowExW(parent, nullptr, nullptr, nullptr); child;
         child = ::FindWindowExW(parent, child, nullptr, nullptr)) {
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        if (std::wstring(name) == className) return child;
        if (HWND found = FindDescendant(child, className)) return found;
    }
    return nullptr;
}

// Opens `folder` in the dialog, selects every file in its list with the
// mouse's equivalent, and presses Open.
void SelectAllInOpenDialog(HWND owner, std::wstring folder, std::atomic<bool>& done) {
    HWND dialog = nullptr;
    for (int attempt = 0; attempt < 300 && !dialog; ++attempt) {
        dialog = FindOpenDialog(owner);
        if (!dialog) ::Sleep(50);
    }
    if (dialog) {
        ::Sleep(200);
        ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(folder.c_str()));
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
        ::Sleep(1000);
        if (HWND list = FindDescendant(dialog, L"SysListView32")) {
            LVITEMW item{};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(&item));
            ::Sleep(1000);
        }
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    }
    done = true;
}

TEST_F(IntakeWindowTest, TheOpenDialogReturnsALargeSelectionWhole) {
    OpenForm();
    tree.Folder(L"pick");
    Paths expected;
    for (int i = 0; i < 215; ++i) {
        // 215 names of 160 characters: over 34,000 characters in all, more
        // than a classic dialog's usual buffer holds.
        const std::wstring name = std::wstring(152, L'n') + std::to_wstring(10000000 + i);
        tree.File(L"pick\\" + name);
        expected.push_back(tree.At(L"pick\\" + name));
    }
    form_->CB_MD5.SetChecked(false);  // only the queue matters here
    std::atomic<bool> chosen{false};
    std::thread user(SelectAllInOpenDialog, form_->Handle(), tree.At(L"pick"), std::ref(chosen));

    ::PostMessageW(form_->Btn_Browse.Handle, BM_CLICK, 0, 0);
    const bool closed = PumpUntil([&] { return chosen.load(); }, 60000);
    user.join();
    ASSERT_TRUE(closed);
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(Sorted(Queue()), Sorted(expected));
}

TEST_F(IntakeWindowTest, ClosingDuringAScanWaitsForTheScanAndNeverHangs) {
    OpenForm();
    constexpr int kFiles = 1500;
    for (int folder = 0; folder < 15; ++folder) {
        tree.Folder(L"many\\f" + std::to_wstring(folder));
        for (int file = 0; file < kFiles / 15; ++file) {
            tree.File(L"many\\f" + std::to_wstring(folder) + L"\\" + std::to_wstring(file));
        }
    }
    // A job that wants FileListLock after each chunk while the drop holds it.
    SetQueue({BigFile(L"big.bin", 4)});
    form_->StartHash();

    ::PostMessageW(form_->Handle(), WM_CLOSE, 0, 0);  // served by the scan's message processing
    Drop({tree.At(L"many")});

    ASSERT_NE(form_->Handle(), nullptr) << "the close waits until the drop has ended";
    EXPECT_LT(Queue().size(), static_cast<std::size_t>(kFiles)) << "the scan is cut short";
    EXPECT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, 60000));
    EXPECT_EQ(JobQueue, nullptr);
}

TEST_F(IntakeWindowTest, TheEndOfTheSessionDuringAScanSavesWithoutWaitingForTheJob) {
    OpenForm();  // its options differ from the loaded ones: a close would save
    constexpr int kFiles = 1500;
    for (int folder = 0; folder < 15; ++folder) {
        tree.Folder(L"many\\f" + std::to_wstring(folder));
        for (int file = 0; file < kFiles / 15; ++file) {
            tree.File(L"many\\f" + std::to_wstring(folder) + L"\\" + std::to_wstring(file));
        }
    }
    // A job that wants FileListLock after each chunk while the drop holds it:
    // waiting for it inside the scan would never end.
    SetQueue({BigFile(L"big.bin", 4)});
    form_->StartHash();

    ::PostMessageW(form_->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);  // served by the scan
    Drop({tree.At(L"many")});

    EXPECT_TRUE(ReadRawValue(HKEY_CURRENT_USER, kSettingsKeyPath, L"CalcTime").exists)
        << "saved while the scan still ran";
    EXPECT_LT(Queue().size(), static_cast<std::size_t>(kFiles)) << "the scan is cut short";
    // The close that follows the scan ends the cancelled job.
    EXPECT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, 60000));
}

TEST_F(IntakeWindowTest, ACloseWhileTheSessionEndWaitsForTheJobFollowsTheSessionEnd) {
    OpenForm();
    SetQueue({BigFile(L"big.bin", 4)});
    form_->StartHash();
    ASSERT_TRUE(Running());

    // Served by the session end's wait for the stopped job, which goes on
    // reading the queue afterwards.
    ::PostMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    ::SendMessageW(form_->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);

    ASSERT_NE(form_->Handle(), nullptr) << "the close waits until the session end is done";
    ASSERT_NE(JobQueue, nullptr);
    EXPECT_FALSE(Running());
    EXPECT_TRUE(ReadRawValue(HKEY_CURRENT_USER, kSettingsKeyPath, L"CalcTime").exists);
    EXPECT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, 60000)) << "then it closes";
    EXPECT_EQ(JobQueue, nullptr);
}

TEST_F(IntakeWindowTest, TheWindowStaysResponsiveWhileTwentyThousandFilesAreScanned) {
    OpenForm();
    constexpr int kFolders = 20;
    constexpr int kFilesPerFolder = 1000;
    const auto seconds = [](auto span) { return std::chrono::duration<double>(span).count(); };
    const auto made = std::chrono::steady_clock::now();
    for (int folder = 0; folder < kFolders; ++folder) {
        tree.Folder(L"big\\f" + std::to_wstring(folder));
        for (int file = 0; file < kFilesPerFolder; ++file) {
            tree.File(L"big\\f" + std::to_wstring(folder) + L"\\" + std::to_wstring(file) +
                      L".txt");
        }
    }
    // Another thread keeps asking the window for an answer and notes the
    // longest wait while the drop scans and while the job is stopped.
    const HWND window = form_->Handle();
    std::atomic<int> phase{0};  // 0 scan, 1 stopping the job, 2 done
    std::atomic<long long> longestWaitMs[2] = {0, 0};
    std::atomic<bool> proberDone{false};
    std::thread prober([&] {
        for (int now; (now = phase) < 2;) {
            const auto sent = std::chrono::steady_clock::now();
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - sent)
                                    .count();
            if (waited > longestWaitMs[now]) longestWaitMs[now] = waited;
            ::Sleep(20);
        }
        proberDone = true;
    });

    const auto start = std::chrono::steady_clock::now();
    Drop({tree.At(L"big")});
    const auto scanned = std::chrono::steady_clock::now();
    const std::size_t queued = Queue().size();
    phase = 1;
    ::SendMessageW(form_->Btn_Stop.Handle, BM_CLICK, 0, 0);
    const bool idle = WaitIdle();
    phase = 2;
    PumpUntil([&] { return proberDone.load(); });  // its last question needs an answer
    prober.join();

    std::cout << "made " << kFolders * kFilesPerFolder << " files in " << seconds(start - made)
              << " s; scanned them in " << seconds(scanned - start) << " s (longest wait "
              << longestWaitMs[0] << " ms)" << std::endl;
    ASSERT_TRUE(idle);
    EXPECT_EQ(queued, static_cast<std::size_t>(kFolders * kFilesPerFolder));
    EXPECT_LT(longestWaitMs[0].load(), 1000) << "the window answers within a second while it scans";
    EXPECT_LT(longestWaitMs[1].load(), 1000) << "and while the job is stopped";
}

}  // namespace
