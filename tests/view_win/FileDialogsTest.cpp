// The open and save dialogs on their own: which dialog the system shows,
// what comes back, and the process's current folder afterwards.

#include <windows.h>
// Needs the declarations of <windows.h>.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppError.h"
#include "FileDialogs.h"
#include "UserDriver.h"
#include "Win32Raii.h"
#include "Win32TestSupport.h"

namespace {

HRESULT NoItemDialogClass(REFCLSID, REFIID, void** object) {
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}
HRESULT NoItemDialogInterface(REFCLSID, REFIID, void** object) {
    *object = nullptr;
    return E_NOINTERFACE;
}
HRESULT CreationFails(REFCLSID, REFIID, void** object) {
    *object = nullptr;
    return E_OUTOFMEMORY;
}

std::wstring CurrentFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

// What the user met in one dialog.
struct Meeting {
    bool Shown = false;
    bool Classic = false;
    bool ListSingleSelection = false;
};

// Finds the first descendant window of `parent` with the class `className`.
HWND FindDescendant(HWND parent, const wchar_t* className) {
    for (HWND child = ::FindWindowExW(parent, nullptr, nullptr, nullptr); child;
         child = ::FindWindowExW(parent, child, nullptr, nullptr)) {
        if (ClassOf(child) == className) return child;
        if (const HWND found = FindDescendant(child, className)) return found;
    }
    return nullptr;
}

class FileDialogsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.Result()));
        owner_ = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   300, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        // Relative paths given before a dialog name files in this folder.
        start_ = CurrentFolder();
        ASSERT_TRUE(::SetCurrentDirectoryW(home_.Path().c_str()));
        elsewhere_ = home_.MakeFolder(L"别处");
        WriteFileBytes(elsewhere_ + L"\\一.txt", "1");
        WriteFileBytes(elsewhere_ + L"\\二.txt", "2");
    }
    void TearDown() override {
        ::SetCurrentDirectoryW(start_.c_str());
        if (owner_) ::DestroyWindow(owner_);
    }

    // Runs `show` while a user types each text into the dialog's file name
    // box and presses its default button.
    template <typename Show>
    Meeting Answer(const std::vector<std::wstring>& texts, Show show) {
        Meeting meeting;
        BackgroundUser user([&] {
            const HWND dialog = WaitForOwnedDialog(owner_);
            if (!dialog) return;
            meeting.Shown = true;
            meeting.Classic = IsClassicFileDialog(dialog);
            if (const HWND list = FindDescendant(dialog, L"SysListView32")) {
                meeting.ListSingleSelection =
                    (::GetWindowLongPtrW(list, GWL_STYLE) & LVS_SINGLESEL) != 0;
            }
            for (const std::wstring& text : texts) {
                ::Sleep(200);
                TypeFileName(dialog, text);
                PressButton(dialog, IDOK);
            }
            if (!WaitUntilClosed(dialog, 5000)) PressButton(dialog, IDCANCEL);
        });
        show();
        user.Join();
        return meeting;
    }

    ComApartment com_;
    HWND owner_ = nullptr;
    std::wstring start_;
    ScratchFolder home_{L"对话框测试"};
    std::wstring elsewhere_;
};

TEST_F(FileDialogsTest, TheOpenDialogIsTheItemDialogAndLeavesTheCurrentFolder) {
    TFileDialog settings;
    settings.Filter = L"所有文件|*.*";
    bool chosen = false;
    const Meeting meeting = Answer({elsewhere_, L"\"二.txt\" \"一.txt\""}, [&] {
        chosen = ExecuteOpenDialog(owner_, settings, TOpenChoice::ManyNames);
    });
    ASSERT_TRUE(meeting.Shown);
    EXPECT_FALSE(meeting.Classic);
    EXPECT_FALSE(meeting.ListSingleSelection);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(settings.Files,
              (std::vector<std::wstring>{elsewhere_ + L"\\二.txt", elsewhere_ + L"\\一.txt"}));
    EXPECT_EQ(CurrentFolder(), home_.Path());
}

TEST_F(FileDialogsTest, TheDialogForOneExistingFileOffersASingleSelection) {
    TFileDialog settings;
    settings.Filter = L"所有文件|*.*";
    bool chosen = false;
    const Meeting meeting = Answer({elsewhere_ + L"\\一.txt"}, [&] {
        chosen = ExecuteOpenDialog(owner_, settings, TOpenChoice::OneExistingFile);
    });
    ASSERT_TRUE(meeting.Shown);
    EXPECT_TRUE(meeting.ListSingleSelection);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(settings.Files, std::vector<std::wstring>{elsewhere_ + L"\\一.txt"});
    EXPECT_EQ(settings.FileName, elsewhere_ + L"\\一.txt");
}

TEST_F(FileDialogsTest, WithoutTheItemDialogTheClassicOneOpensAndLeavesTheCurrentFolder) {
    for (const TDialogFactory factory : {&NoItemDialogClass, &NoItemDialogInterface}) {
        TFileDialog settings;
        settings.Filter = L"所有文件|*.*";
        bool chosen = false;
        const Meeting meeting = Answer({elsewhere_ + L"\\一.txt"}, [&] {
            chosen = ExecuteOpenDialog(owner_, settings, TOpenChoice::ManyNames, factory);
        });
        ASSERT_TRUE(meeting.Shown);
        EXPECT_TRUE(meeting.Classic);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(settings.Files, std::vector<std::wstring>{elsewhere_ + L"\\一.txt"});
        EXPECT_EQ(CurrentFolder(), home_.Path());
    }
}

TEST_F(FileDialogsTest, TheClassicSaveDialogLeavesTheCurrentFolderToo) {
    TFileDialog settings;
    settings.Filter = L"文体文件|*.txt|所有文件|*.*";
    settings.DefaultExt = L"txt";
    settings.FileName = L"Hash校验结果";
    bool chosen = false;
    const Meeting meeting = Answer({elsewhere_ + L"\\结果"}, [&] {
        chosen = ExecuteSaveDialog(owner_, settings, &NoItemDialogClass);
    });
    ASSERT_TRUE(meeting.Shown);
    EXPECT_TRUE(meeting.Classic);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(settings.FileName, elsewhere_ + L"\\结果.txt");
    EXPECT_EQ(CurrentFolder(), home_.Path());
}

TEST_F(FileDialogsTest, AnyOtherFailureToCreateTheDialogIsShownNotHidden) {
    TFileDialog settings;
    settings.Filter = L"所有文件|*.*";
    EXPECT_THROW(ExecuteOpenDialog(owner_, settings, TOpenChoice::ManyNames, &CreationFails),
                 AppError);
    EXPECT_THROW(ExecuteSaveDialog(owner_, settings, &CreationFails), AppError);
    EXPECT_EQ(WaitForOwnedDialog(owner_, 200), nullptr);
}

}  // namespace
