// The settings and the system menu on the real main window: what start-up
// loads, what closing writes, and the extended system menu's commands.

#include <gtest/gtest.h>

#include <algorithm>

#include "FormFixture.h"
#include "IniPath.h"
#include "JobQueueState.h"
#include "MainUnitSettings.h"
#include "MenuCheckState.h"
#include "RegistryKeyWin32.h"
#include "RegistryStoreWin32.h"
#include "SettingsStoresWin32.h"
#include "ShellIntegration.h"
#include "SystemMenuWin32.h"
#include "Win32TestSupport.h"

namespace {

const wchar_t* const kKeys[] = {L"MD5",  L"SHA1", L"CRC32", L"SHA256",   L"Path",
                                L"Size", L"Ver",  L"Time",  L"CalcTime", L"Upcase"};
const std::vector<bool> kDesign = {true, true, true, true, true, true, true, true, false, false};

std::vector<BYTE> DwordBytes(DWORD value) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    return std::vector<BYTE>(bytes, bytes + 4);
}

class SettingsForm : public FormFixture {
  protected:
    // The settings key, verb key, Send To shortcut and INI file of the
    // settings sandbox; each test starts without them.
    FreshUserKey settingsKey{kSettingsKeyPath};
    FreshUserKey verbKey{kContextMenuKeyPath};
    FreshFile sendToLink{ComposeSendToLinkPath()};
    std::wstring iniPath = IniPathOfThisProgram();

    void SetUp() override {
        FormFixture::SetUp();
        // Each test is a fresh run of the program: the main unit's globals
        // start as they do at process start.
        ContextMenuState = SendToState = StayOnTopState = kMenuUnchecked;
        SendToLinkPath.clear();
        SettingsSignature.clear();
        StartWidth = StartHeight = 0;
    }

    // Closes the window and starts a fresh one, as a restart would.
    void Restart() {
        CloseForm();
        form_.reset();
        SetUp();
        CreateForm();
    }

    std::vector<bool> Checks() const {
        std::vector<bool> checks;
        for (const TControl* control : form_->Components) {
            if (control->Kind == TControlKind::CheckBox) checks.push_back(control->Checked());
        }
        return checks;
    }
    void SetRegDword(const wchar_t* name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value));
        RegCloseKey(key);
    }
    RawRegValue RegValue(const wchar_t* name) {
        return ReadRawValue(HKEY_CURRENT_USER, kSettingsKeyPath, name);
    }
    bool SettingsKeyExists() { return RegKeyOpens(kSettingsKeyPath); }
    static bool RegKeyOpens(const wchar_t* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    std::wstring IniValue(const wchar_t* section, const wchar_t* key) {
        wchar_t text[256] = {};
        GetPrivateProfileStringW(section, key, L"<missing>", text, 256, iniPath.c_str());
        return text;
    }
    void Click(const TControl& box) {
        SendMessageW(box.Handle, BM_CLICK, 0, 0);
        Pump(20);
    }
    void Resize(int width, int height) {
        SetWindowPos(form_->Handle(), nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump(20);
    }
    std::vector<SeenBox> SysCommand(WPARAM command) {
        BoxWatcher watcher(form_->Handle());
        SendMessageW(form_->Handle(), WM_SYSCOMMAND, command, 0);
        return watcher.Stop();
    }
    bool Topmost() const {
        return (GetWindowLongPtrW(form_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    int Check(UINT id) const { return SystemMenuCheck(form_->Handle(), id); }
};

// --- Start-up and close without a store ------------------------------------------

TEST_F(SettingsForm, NoIniAndNoKeyKeepsTheDesignAndWritesNothing) {
    CreateForm();
    EXPECT_EQ(Checks(), kDesign);
    EXPECT_FALSE(IsZoomed(form_->Handle()));
    EXPECT_FALSE(Topmost());
    EXPECT_EQ(SettingsSignature, L"11111111000");
    EXPECT_EQ(StartWidth, form_->Width());
    EXPECT_EQ(StartHeight, form_->Height());
    CloseForm();
    EXPECT_FALSE(SettingsKeyExists()) << "an unchanged close writes nothing";
    EXPECT_EQ(GetFileAttributesW(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsForm, MovedButNotResizedWritesNothing) {
    CreateForm();
    SetWindowPos(form_->Handle(), nullptr, 5, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CloseForm();
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(SettingsForm, ResizedAndBroughtBackWritesNothing) {
    // A size above the minimum to come back to; without check-box values, so
    // that any save would show by adding them.
    SetRegDword(L"Maximized", 0);
    SetRegDword(L"Width", 640);
    SetRegDword(L"Height", 480);
    SetRegDword(L"StayOnTop", 0);
    CreateForm();
    ASSERT_EQ(form_->Width(), 640);
    Resize(800, 600);
    Resize(640, 480);
    CloseForm();
    EXPECT_FALSE(RegValue(L"MD5").exists);
}

// --- INI store --------------------------------------------------------------------

TEST_F(SettingsForm, EmptyIniChecksAllBoxesAndStaysEmpty) {
    WriteFileBytes(iniPath, "");
    CreateForm();
    EXPECT_EQ(Checks(), std::vector<bool>(10, true));
    EXPECT_FALSE(IsZoomed(form_->Handle()));
    EXPECT_FALSE(Topmost());
    CloseForm();
    EXPECT_EQ(ReadFileBytes(iniPath), "");
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(SettingsForm, IniWinsOverTheRegistryAndIsWrittenInItsForms) {
    SetRegDword(L"MD5", 0);
    SetRegDword(L"Maximized", 0);
    SetRegDword(L"Width", 900);
    SetRegDword(L"Height", 700);
    SetRegDword(L"StayOnTop", 1);
    WriteFileBytes(iniPath, "[Setting]\r\nSHA1=0\r\n[Position]\r\nWidth=640\r\n");
    CreateForm();
    std::vector<bool> expected(10, true);
    expected[1] = false;
    EXPECT_EQ(Checks(), expected) << "MD5 = 0 in the registry is ignored";
    EXPECT_EQ(form_->Width(), 640);
    EXPECT_FALSE(Topmost());

    Click(form_->CB_Upcase);
    Click(form_->CB_MD5);
    CloseForm();
    const wchar_t* const written[] = {L"0", L"0", L"1", L"1", L"1", L"1", L"1", L"1", L"1", L"0"};
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(IniValue(L"Setting", kKeys[i]), written[i]) << i;
    EXPECT_EQ(IniValue(L"Position", L"Maximized"), L"0");
    EXPECT_EQ(IniValue(L"Position", L"Width"), L"640");
    EXPECT_EQ(IniValue(L"Position", L"Height"), std::to_wstring(StartHeight));
    EXPECT_EQ(IniValue(L"Position", L"StayOnTop"), L"0");
    EXPECT_EQ(RegValue(L"MD5").data, DwordBytes(0)) << "the registry key is left alone";
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(900));
}

TEST_F(SettingsForm, MalformedIniWidthLeavesTheWidthUnchanged) {
    CreateForm();
    const int designWidth = form_->Width();
    CloseForm();
    WriteFileBytes(iniPath, "[Position]\r\nWidth=wide\r\nHeight=560\r\n");
    form_.reset();
    SetUp();
    CreateForm();
    // Setting the height passes the width through the minimum-size rule too.
    EXPECT_EQ(form_->Width(), std::max(designWidth, 511));
    EXPECT_EQ(form_->Height(), 560);
}

// --- Registry store ------------------------------------------------------------------

TEST_F(SettingsForm, RegistrySizeBelowTheMinimumLoadsAs511By397) {
    SetRegDword(L"Maximized", 0);
    SetRegDword(L"Width", 300);
    SetRegDword(L"Height", 200);
    SetRegDword(L"StayOnTop", 0);
    CreateForm();
    EXPECT_EQ(form_->Width(), 511);
    EXPECT_EQ(form_->Height(), 397);
}

TEST_F(SettingsForm, CheckBoxValuesCountByTheirLowestByte) {
    SetRegDword(L"MD5", 256);
    SetRegDword(L"CalcTime", 2);
    CreateForm();
    EXPECT_FALSE(form_->CB_MD5.Checked()) << "256 loads as unchecked";
    EXPECT_TRUE(form_->CB_CalcTime.Checked()) << "2 loads as checked";
}

TEST_F(SettingsForm, KeyWithoutMaximizedAppliesOnlyTheCheckBoxes) {
    SetRegDword(L"MD5", 0);
    SetRegDword(L"SHA1", 0);
    SetRegDword(L"Width", 900);
    SetRegDword(L"StayOnTop", 1);
    CreateForm();
    std::vector<bool> expected = kDesign;
    expected[0] = expected[1] = false;
    EXPECT_EQ(Checks(), expected);
    EXPECT_NE(form_->Width(), 900);
    EXPECT_FALSE(Topmost());
    EXPECT_EQ(StayOnTopState, kMenuUnchecked);
}

TEST_F(SettingsForm, OnlyTheHeightChangedIsSavedAsDwords) {
    CreateForm();
    Resize(form_->Width(), form_->Height() + 40);
    const int width = form_->Width();
    const int height = form_->Height();
    ASSERT_EQ(height, StartHeight + 40);
    CloseForm();
    ASSERT_TRUE(SettingsKeyExists());
    for (std::size_t i = 0; i < 10; ++i) {
        const RawRegValue value = RegValue(kKeys[i]);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD)) << i;
        EXPECT_EQ(value.data, DwordBytes(kDesign[i] ? 1 : 0)) << i;
    }
    EXPECT_EQ(RegValue(L"Maximized").data, DwordBytes(0));
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(static_cast<DWORD>(width)));
    EXPECT_EQ(RegValue(L"Height").data, DwordBytes(static_cast<DWORD>(height)));
    EXPECT_EQ(RegValue(L"StayOnTop").data, DwordBytes(0));
}

TEST_F(SettingsForm, MaximizedAtCloseKeepsTheStoredSize) {
    SetRegDword(L"Maximized", 0);
    SetRegDword(L"Width", 600);
    SetRegDword(L"Height", 450);
    SetRegDword(L"StayOnTop", 0);
    CreateForm();
    EXPECT_EQ(form_->Width(), 600);
    ShowWindow(form_->Handle(), SW_MAXIMIZE);
    Pump(50);
    ASSERT_TRUE(IsZoomed(form_->Handle()));
    CloseForm();
    EXPECT_EQ(RegValue(L"Maximized").data, DwordBytes(1));
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(600));
    EXPECT_EQ(RegValue(L"Height").data, DwordBytes(450));

    // Started maximized and closed unchanged: the maximized window is larger
    // than the size taken before it was first shown, so it is saved again.
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_SET_VALUE, &key);
    RegDeleteValueW(key, L"CalcTime");
    RegCloseKey(key);
    form_.reset();
    SetUp();
    CreateForm();
    EXPECT_TRUE(IsZoomed(form_->Handle()));
    EXPECT_LT(StartWidth, form_->Width());
    CloseForm();
    EXPECT_TRUE(RegValue(L"CalcTime").exists) << "saved again";
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(600));
}

TEST_F(SettingsForm, ClosedWhileMinimisedTheNormalSizeIsSaved) {
    CreateForm();
    Resize(640, 480);
    ShowWindow(form_->Handle(), SW_MINIMIZE);
    Pump(50);
    ASSERT_TRUE(IsIconic(form_->Handle()));
    CloseForm();
    EXPECT_EQ(RegValue(L"Maximized").data, DwordBytes(0));
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(640));
    EXPECT_EQ(RegValue(L"Height").data, DwordBytes(480));
}

TEST_F(SettingsForm, ClosedWhileMinimisedFromMaximisedTheMaximisedStateIsSaved) {
    SetRegDword(L"Maximized", 0);
    SetRegDword(L"Width", 600);
    SetRegDword(L"Height", 450);
    SetRegDword(L"StayOnTop", 0);
    CreateForm();
    ShowWindow(form_->Handle(), SW_MAXIMIZE);
    Pump(50);
    ShowWindow(form_->Handle(), SW_MINIMIZE);
    Pump(50);
    ASSERT_TRUE(IsIconic(form_->Handle()));
    CloseForm();
    EXPECT_EQ(RegValue(L"Maximized").data, DwordBytes(1));
    EXPECT_EQ(RegValue(L"Width").data, DwordBytes(600));
    EXPECT_EQ(RegValue(L"Height").data, DwordBytes(450));
}

TEST_F(SettingsForm, MinimisedWithoutAnyChangeWritesNothing) {
    CreateForm();
    ShowWindow(form_->Handle(), SW_MINIMIZE);
    Pump(50);
    ASSERT_TRUE(IsIconic(form_->Handle()));
    CloseForm();
    EXPECT_FALSE(SettingsKeyExists());
}

// --- The end of the session ---------------------------------------------------

TEST_F(SettingsForm, TheEndOfTheSessionStopsTheJobAndSavesAsACloseDoes) {
    CreateForm();
    Click(form_->CB_CalcTime);
    // A job that runs for a while: a large file queued many times.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring big = std::wstring(temp) + L"varudodi-session-" +
                             std::to_wstring(GetCurrentProcessId()) + L".bin";
    WriteFileBytes(big, std::string(16u << 20, 'x'));
    {
        FileListGuard guard(JobQueue->FileListLock);
        JobQueue->FileList.assign(50, big);
    }
    form_->StartHash();
    ASSERT_TRUE(JobRunning(*JobQueue));

    EXPECT_EQ(SendMessageW(form_->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(form_->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // another said no
    EXPECT_FALSE(SettingsKeyExists());
    SendMessageW(form_->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(JobRunning(*JobQueue)) << "the job was stopped";
    EXPECT_EQ(RegValue(L"CalcTime").data, DwordBytes(1)) << "saved before the session ends";

    // Should the process live on, its close saves nothing a second time.
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_SET_VALUE, &key);
    RegDeleteValueW(key, L"CalcTime");
    RegCloseKey(key);
    CloseForm();
    EXPECT_FALSE(RegValue(L"CalcTime").exists);
    DeleteFileW(big.c_str());
}

TEST_F(SettingsForm, StayOnTopToggledIsSavedAndRestored) {
    CreateForm();
    EXPECT_TRUE(SysCommand(kMenuStayOnTopId).empty());
    EXPECT_TRUE(Topmost());
    EXPECT_EQ(Check(kMenuStayOnTopId), MF_CHECKED);
    Restart();
    EXPECT_EQ(RegValue(L"StayOnTop").data, DwordBytes(1));
    EXPECT_TRUE(Topmost());
    EXPECT_EQ(StayOnTopState, kMenuChecked);
    EXPECT_EQ(SettingsSignature, L"11111111008");
    EXPECT_EQ(Check(kMenuStayOnTopId), MF_CHECKED) << "loaded before the menu was extended";
    SysCommand(kMenuStayOnTopId);
    EXPECT_FALSE(Topmost());
    CloseForm();
    EXPECT_EQ(RegValue(L"StayOnTop").data, DwordBytes(0));
}

// --- System menu ------------------------------------------------------------------------

TEST_F(SettingsForm, SystemMenuStartsUncheckedWithoutKeyAndShortcut) {
    CreateForm();
    const HMENU menu = GetSystemMenu(form_->Handle(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 5);
    EXPECT_EQ(GetMenuItemID(menu, count - 5), kMenuSeparatorId);
    const std::pair<UINT, const wchar_t*> items[] = {{1026, L"增加右键菜单(&R)"},
                                                     {1027, L"增加发送菜单(&T)"},
                                                     {1028, L"窗口置顶(&O)"},
                                                     {1029, L"关于(&A)"}};
    for (int i = 0; i < 4; ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(count - 4 + i), text, 64, MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(menu, count - 4 + i), items[i].first);
        EXPECT_EQ(std::wstring(text), items[i].second);
        EXPECT_EQ(Check(items[i].first), 0);
    }
    EXPECT_EQ(SendToLinkPath, ComposeSendToLinkPath());
}

TEST_F(SettingsForm, SystemMenuShowsAnExistingKeyAndShortcutChecked) {
    CreateRegKey(HKEY_CURRENT_USER, kContextMenuKeyPath);
    WriteFileBytes(ComposeSendToLinkPath(), "x");
    CreateForm();
    EXPECT_EQ(Check(kMenuContextMenuId), MF_CHECKED);
    EXPECT_EQ(Check(kMenuSendToId), MF_CHECKED);
    EXPECT_EQ(Check(kMenuStayOnTopId), 0);
}

TEST_F(SettingsForm, ContextMenuVerbPointsAtTheRunningProgram) {
    CreateForm();
    EXPECT_TRUE(SysCommand(kMenuContextMenuId).empty());
    EXPECT_EQ(Check(kMenuContextMenuId), MF_CHECKED);
    const RawRegValue command =
        ReadRawValue(HKEY_CURRENT_USER, std::wstring(kContextMenuKeyPath) + L"\\command", L"");
    EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(command.data, StringBytesWithNul(L"\"" + CurrentExecutablePath() + L"\" \"%1\""));
    EXPECT_TRUE(SysCommand(kMenuContextMenuId).empty());
    EXPECT_FALSE(RegKeyOpens(kContextMenuKeyPath));
    EXPECT_EQ(Check(kMenuContextMenuId), 0);
}

TEST_F(SettingsForm, VerbKeyRemovedOutsideShowsTheRemovalBox) {
    CreateRegKey(HKEY_CURRENT_USER, kContextMenuKeyPath);
    CreateForm();
    RegDeleteKeyW(HKEY_CURRENT_USER, kContextMenuKeyPath);
    const auto boxes = SysCommand(kMenuContextMenuId);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"错误");
    EXPECT_EQ(boxes[0].text, L"移除右键菜单失败！");
    EXPECT_EQ(Check(kMenuContextMenuId), MF_CHECKED);
}

TEST_F(SettingsForm, SendToShortcutTogglesOnTheRealWindow) {
    CreateForm();
    EXPECT_TRUE(SysCommand(kMenuSendToId).empty());
    EXPECT_TRUE(FileExistsAt(SendToLinkPath));
    EXPECT_EQ(Check(kMenuSendToId), MF_CHECKED);
    EXPECT_TRUE(SysCommand(kMenuSendToId).empty());
    EXPECT_FALSE(FileExistsAt(SendToLinkPath));
    EXPECT_EQ(Check(kMenuSendToId), 0);
}

TEST_F(SettingsForm, AboutBoxShowsTheMainIconCaptionAndOneOkButton) {
    CreateForm();
    const auto boxes = SysCommand(kMenuAboutId);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"关于");
    EXPECT_EQ(boxes[0].text,
              L"Varudodi by Veriko\r\nveriko@example.com\r\n\r\n功能特点：\r\n"
              L"* 采用并行计算，提高计算速度\r\n* 支持多个文件或文件夹拖放操作\r\n"
              L"* 支持参数启动(参数为一个或多个文件或文件夹路径)\r\n"
              L"* 支持保存个人设置(默认保存在注册表，如果存在同名ini文件，则保存在ini文件)\r\n");
    EXPECT_TRUE(boxes[0].hasIcon) << "the MAINICON resource";
    EXPECT_EQ(boxes[0].buttonIds, std::vector<int>{IDOK});
}

TEST_F(SettingsForm, StandardCommandsStillWork) {
    CreateForm();
    SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump(50);
    EXPECT_TRUE(IsIconic(form_->Handle()));
    SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump(50);
    EXPECT_FALSE(IsIconic(form_->Handle()));
    SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump(50);
    EXPECT_TRUE(IsZoomed(form_->Handle()));
    SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump(50);
    EXPECT_FALSE(IsZoomed(form_->Handle()));
    SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, 60000));
}

}  // namespace
