// The system-menu extension and its four commands on a real window, registry
// and Send To folder. The user's verb key and shortcut are restored afterwards.

#include <gtest/gtest.h>

#include <windows.h>
// after windows.h
#include <objbase.h>
#include <shlobj.h>

#include <future>

#include "AppError.h"
#include "MenuCheckState.h"
#include "RegistryKeyWin32.h"
#include "SettingsStoresWin32.h"
#include "ShellIntegration.h"
#include "ShellLinkWin32.h"
#include "SystemMenuWin32.h"
#include "Win32Raii.h"
#include "Win32TestSupport.h"

namespace {

class SystemMenu : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }

    ScratchFolder folder{L"varudodi-menu-test"};
    // A target with blanks in its path, so quoting is put to the test.
    std::wstring exePath = MakeTarget();
    FreshUserKey verbKey{kContextMenuKeyPath};
    std::wstring linkPath = ComposeSendToLinkPath();
    FreshFile link{linkPath};
    TestWindow window;
    std::int8_t contextMenuState = kMenuUnchecked;
    std::int8_t sendToState = kMenuUnchecked;
    std::int8_t stayOnTopState = kMenuUnchecked;
    SystemMenuStates states{contextMenuState, sendToState, stayOnTopState, linkPath};

    std::wstring MakeTarget() {
        const std::wstring target =
            folder.MakeFolder(L"Program Files\\Varudodi 1.4") + L"\\Varudodi.exe";
        CopyFileW(CurrentExecutablePath().c_str(), target.c_str(), FALSE);
        return target;
    }
    void Extend() { ExtendSystemMenu(window.Get(), contextMenuState, sendToState, stayOnTopState); }
    // Runs a command while a watcher reads and dismisses any box it opens.
    std::vector<SeenBox> Run(WPARAM command) {
        BoxWatcher watcher(window.Get());
        RunSystemMenuCommand(window.Get(), command, states, exePath);
        return watcher.Stop();
    }
    int Check(UINT id) { return SystemMenuCheck(window.Get(), id); }
    static void ExpectErrorBox(const std::vector<SeenBox>& boxes, const wchar_t* text) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"错误");
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_TRUE(boxes[0].hasIcon) << "MB_ICONERROR";
        EXPECT_EQ(boxes[0].buttonIds, std::vector<int>{IDOK});
    }
};

struct MenuItem {
    UINT id;
    UINT type;
    UINT state;
    std::wstring text;
};

std::vector<MenuItem> LastItems(HWND window, int count) {
    const HMENU menu = GetSystemMenu(window, FALSE);
    const int total = GetMenuItemCount(menu);
    std::vector<MenuItem> items;
    for (int pos = total - count; pos < total; ++pos) {
        wchar_t text[128] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
        items.push_back({info.wID, info.fType, info.fState, text});
    }
    return items;
}

// --- Start-up ------------------------------------------------------------------

TEST_F(SystemMenu, SendToLinkLivesInTheUsersSendToFolder) {
    const std::wstring sendTo = SpecialFolderPath(CSIDL_SENDTO);
    ASSERT_FALSE(sendTo.empty());
    EXPECT_NE(GetFileAttributesW(sendTo.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(linkPath, sendTo + L"\\计算Hash值.lnk");
    EXPECT_EQ(SpecialFolderPath(-1), L"") << "an unknown folder has no path";
}

TEST_F(SystemMenu, ItemsAreAppendedUncheckedWithoutKeyAndShortcut) {
    const int before = GetMenuItemCount(GetSystemMenu(window.Get(), FALSE));
    contextMenuState = DetectContextMenuState();
    sendToState = DetectSendToState(linkPath);
    Extend();
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(window.Get(), FALSE)), before + 5);
    const auto items = LastItems(window.Get(), 5);
    EXPECT_EQ(items[0].id, 1025u);
    EXPECT_NE(items[0].type & MFT_SEPARATOR, 0u);
    const std::pair<UINT, const wchar_t*> expected[] = {{1026, L"增加右键菜单(&R)"},
                                                        {1027, L"增加发送菜单(&T)"},
                                                        {1028, L"窗口置顶(&O)"},
                                                        {1029, L"关于(&A)"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i + 1].id, expected[i].first);
        EXPECT_EQ(items[i + 1].text, expected[i].second);
        EXPECT_EQ(items[i + 1].state & MFS_CHECKED, 0u) << expected[i].first;
    }
}

TEST_F(SystemMenu, ExistingKeyShortcutAndStayOnTopStartChecked) {
    {
        // A key left with "MUIVerb" but without "command" still counts.
        const UniqueRegKey key = CreateRegKey(HKEY_CURRENT_USER, kContextMenuKeyPath);
        WriteRegString(key.Get(), L"MUIVerb", L"计算Hash值");
    }
    WriteFileBytes(linkPath, "not a shell link");  // any file counts
    contextMenuState = DetectContextMenuState();
    sendToState = DetectSendToState(linkPath);
    stayOnTopState = kMenuChecked;
    EXPECT_EQ(contextMenuState, kMenuChecked);
    EXPECT_EQ(sendToState, kMenuChecked);
    Extend();
    EXPECT_EQ(Check(1026), MF_CHECKED);
    EXPECT_EQ(Check(1027), MF_CHECKED);
    EXPECT_EQ(Check(1028), MF_CHECKED);
    EXPECT_EQ(Check(1029), 0);
}

TEST_F(SystemMenu, UnknownSendToFolderGivesNoLinkPath) {
    EXPECT_EQ(DetectSendToState(L""), kMenuUnchecked);
}

// --- 1026: context-menu verb -------------------------------------------------------

TEST_F(SystemMenu, ContextMenuVerbIsRegisteredAndRemoved) {
    Extend();
    EXPECT_TRUE(Run(1026).empty());
    EXPECT_EQ(contextMenuState, kMenuChecked);
    EXPECT_EQ(Check(1026), MF_CHECKED);

    const RawRegValue verb = ReadRawValue(HKEY_CURRENT_USER, kContextMenuKeyPath, L"MUIVerb");
    EXPECT_EQ(verb.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(verb.data, StringBytesWithNul(L"计算Hash值"));
    const RawRegValue model =
        ReadRawValue(HKEY_CURRENT_USER, kContextMenuKeyPath, L"MultiSelectModel");
    EXPECT_EQ(model.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(model.data, StringBytesWithNul(L"Player"));
    const std::wstring commandKey = std::wstring(kContextMenuKeyPath) + L"\\command";
    const RawRegValue command = ReadRawValue(HKEY_CURRENT_USER, commandKey, L"");
    EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(command.data, StringBytesWithNul(L"\"" + exePath + L"\" \"%1\""));
    EXPECT_NE(exePath.find(L' '), std::wstring::npos);

    EXPECT_TRUE(Run(1026).empty());
    EXPECT_EQ(contextMenuState, kMenuUnchecked);
    EXPECT_EQ(Check(1026), 0);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kContextMenuKeyPath, KEY_READ));
}

TEST_F(SystemMenu, RemovingAVerbKeyDeletedOutsideFailsEveryTime) {
    Extend();
    Run(1026);
    ASSERT_EQ(contextMenuState, kMenuChecked);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kContextMenuKeyPath), ERROR_SUCCESS);
    RegDeleteKeyW(HKEY_CURRENT_USER, kContextMenuKeyPath);
    for (int attempt = 0; attempt < 2; ++attempt) {
        ExpectErrorBox(Run(1026), L"移除右键菜单失败！");
        EXPECT_EQ(contextMenuState, kMenuChecked);
        EXPECT_EQ(Check(1026), MF_CHECKED);
    }
}

TEST_F(SystemMenu, CommandKeyThatCannotBeCreatedKeepsTheVerbAndShowsTheBox) {
    // A verb key made volatile outside the program: it opens, but a lasting
    // "command" subkey cannot be created under it.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kContextMenuKeyPath, 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    Extend();
    ExpectErrorBox(Run(1026), L"增加右键菜单失败！");
    EXPECT_EQ(contextMenuState, kMenuUnchecked);
    EXPECT_EQ(Check(1026), 0);
    const RawRegValue verb = ReadRawValue(HKEY_CURRENT_USER, kContextMenuKeyPath, L"MUIVerb");
    EXPECT_EQ(verb.data, StringBytesWithNul(L"计算Hash值")) << "what was written before stays";
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kContextMenuKeyPath) + L"\\command",
                              KEY_READ));
}

TEST_F(SystemMenu, DeletingAKeyTreeRemovesNestedSubkeys) {
    const std::wstring base = std::wstring(kContextMenuKeyPath);
    CreateRegKey(HKEY_CURRENT_USER, base + L"\\a\\b\\c");
    CreateRegKey(HKEY_CURRENT_USER, base + L"\\d");
    EXPECT_TRUE(DeleteRegKeyTree(HKEY_CURRENT_USER, base));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, base, KEY_READ));
    EXPECT_FALSE(DeleteRegKeyTree(HKEY_CURRENT_USER, base)) << "a missing key is a failure";
}

TEST_F(SystemMenu, RegistryStringWriteFailureThrows) {
    CreateRegKey(HKEY_CURRENT_USER, kContextMenuKeyPath);
    const UniqueRegKey readOnly = OpenRegKey(HKEY_CURRENT_USER, kContextMenuKeyPath, KEY_READ);
    ASSERT_TRUE(readOnly);
    EXPECT_THROW(WriteRegString(readOnly.Get(), L"MUIVerb", L"x"), AppError);
    EXPECT_FALSE(ReadRawValue(HKEY_CURRENT_USER, kContextMenuKeyPath, L"MUIVerb").exists);
}

// --- 1027: Send To shortcut -----------------------------------------------------------

struct LinkFields {
    std::wstring path, workingFolder, description, iconPath;
    int iconIndex = -1;
};

LinkFields ReadLink(const std::wstring& linkPath) {
    ComPtr<IShellLinkW> link;
    EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, link.PutVoid())));
    ComPtr<IPersistFile> file;
    EXPECT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())));
    EXPECT_TRUE(SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ)));
    LinkFields fields;
    wchar_t text[MAX_PATH + 1] = {};
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    fields.path = text;
    link->GetWorkingDirectory(text, MAX_PATH);
    fields.workingFolder = text;
    link->GetDescription(text, MAX_PATH);
    fields.description = text;
    link->GetIconLocation(text, MAX_PATH, &fields.iconIndex);
    fields.iconPath = text;
    return fields;
}

TEST_F(SystemMenu, SendToShortcutIsCreatedAndRemoved) {
    Extend();
    EXPECT_TRUE(Run(1027).empty());
    EXPECT_EQ(sendToState, kMenuChecked);
    EXPECT_EQ(Check(1027), MF_CHECKED);
    ASSERT_TRUE(FileExistsAt(linkPath));
    const LinkFields fields = ReadLink(linkPath);
    EXPECT_EQ(_wcsicmp(fields.path.c_str(), exePath.c_str()), 0) << fields.path;
    EXPECT_EQ(_wcsicmp(fields.workingFolder.c_str(), FolderPartOf(exePath).c_str()), 0)
        << fields.workingFolder;
    EXPECT_EQ(fields.description, L"Varudodi");
    EXPECT_EQ(_wcsicmp(fields.iconPath.c_str(), exePath.c_str()), 0) << fields.iconPath;
    EXPECT_EQ(fields.iconIndex, 0);

    EXPECT_TRUE(Run(1027).empty());
    EXPECT_EQ(sendToState, kMenuUnchecked);
    EXPECT_EQ(Check(1027), 0);
    EXPECT_FALSE(FileExistsAt(linkPath));
}

TEST_F(SystemMenu, RemovingAShortcutDeletedOutsideShowsTheBox) {
    Extend();
    Run(1027);
    ASSERT_EQ(sendToState, kMenuChecked);
    DeleteFileW(linkPath.c_str());
    ExpectErrorBox(Run(1027), L"移除发送菜单失败！");
    EXPECT_EQ(sendToState, kMenuChecked);
    EXPECT_EQ(Check(1027), MF_CHECKED);
}

TEST_F(SystemMenu, ShortcutThatCannotBeWrittenShowsTheBox) {
    Extend();
    // A Send To folder that does not exist, and one that could not be found.
    const std::wstring missingFolder = folder.Path() + L"\\missing folder\\计算Hash值.lnk";
    const std::wstring unknownFolder;
    for (const std::wstring* target : {&missingFolder, &unknownFolder}) {
        const SystemMenuStates elsewhere{contextMenuState, sendToState, stayOnTopState, *target};
        BoxWatcher watcher(window.Get());
        RunSystemMenuCommand(window.Get(), 1027, elsewhere, exePath);
        ExpectErrorBox(watcher.Stop(), L"增加发送菜单失败！");
        EXPECT_EQ(sendToState, kMenuUnchecked);
        EXPECT_EQ(Check(1027), 0);
    }
}

TEST_F(SystemMenu, ShellLinkObjectFailureEscapesAndChangesNothing) {
    Extend();
    // A thread without COM cannot create the link object.
    auto outcome = std::async(std::launch::async, [&] {
        try {
            RunSystemMenuCommand(window.Get(), 1027, states, exePath);
        } catch (const AppError& error) {
            return error.Message();
        }
        return std::wstring(L"<no error>");
    });
    const std::wstring message = outcome.get();
    EXPECT_NE(message, L"<no error>");
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(sendToState, kMenuUnchecked);
    EXPECT_EQ(Check(1027), 0);
    EXPECT_FALSE(FileExistsAt(linkPath));
}

// --- 1028: stay on top ----------------------------------------------------------------

TEST_F(SystemMenu, StayOnTopIsSetAndClearedInPlace) {
    Extend();
    const int items = GetMenuItemCount(GetSystemMenu(window.Get(), FALSE));
    EXPECT_TRUE(Run(1028).empty());
    EXPECT_TRUE(IsTopmostWindow(window.Get()));
    EXPECT_NE(GetWindowLongPtrW(window.Get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(stayOnTopState, kMenuChecked);
    EXPECT_EQ(Check(1028), MF_CHECKED);
    Run(1028);
    EXPECT_EQ(GetWindowLongPtrW(window.Get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(stayOnTopState, kMenuUnchecked);
    EXPECT_EQ(Check(1028), 0);
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(window.Get(), FALSE)), items) << "menu kept in place";
}

// --- 1029: about box ------------------------------------------------------------------

TEST_F(SystemMenu, TheAboutCommandIsLeftToTheWindow) {
    Extend();
    EXPECT_TRUE(Run(1029).empty()) << "the window shows the about box itself";
    EXPECT_EQ(Check(1026), 0);
    EXPECT_EQ(Check(1027), 0);
    EXPECT_EQ(Check(1028), 0);
}

// --- Command values ---------------------------------------------------------------------

TEST_F(SystemMenu, OnlyTheExactLow32BitsSelectACommand) {
    Extend();
    for (WPARAM other : {WPARAM{SC_MINIMIZE}, WPARAM{SC_CLOSE}, WPARAM{1028 | 0x10000},
                         WPARAM{1024}, WPARAM{1030}, WPARAM{1025}}) {
        EXPECT_TRUE(Run(other).empty());
    }
    EXPECT_EQ(stayOnTopState, kMenuUnchecked);
    EXPECT_EQ(contextMenuState, kMenuUnchecked);
    EXPECT_EQ(sendToState, kMenuUnchecked);
#ifdef _WIN64
    Run((WPARAM{1} << 32) | 1028);  // the high half of a 64-bit wParam is not looked at
    EXPECT_EQ(stayOnTopState, kMenuChecked);
#endif
}

}  // namespace
