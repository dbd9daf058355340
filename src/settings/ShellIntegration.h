#pragma once
// The texts and paths of the system-menu commands that are not platform calls:
// menu identifiers and texts, the context-menu verb's command line, the Send To
// shortcut's path and working folder, and the about text.

#include <cstdint>
#include <string>
#include <string_view>

constexpr std::uint32_t kMenuSeparatorId = 1025;
constexpr std::uint32_t kMenuContextMenuId = 1026;
constexpr std::uint32_t kMenuSendToId = 1027;
constexpr std::uint32_t kMenuStayOnTopId = 1028;
constexpr std::uint32_t kMenuAboutId = 1029;

inline constexpr const wchar_t* kMenuContextMenuText = L"增加右键菜单(&R)";
inline constexpr const wchar_t* kMenuSendToText = L"增加发送菜单(&T)";
inline constexpr const wchar_t* kMenuStayOnTopText = L"窗口置顶(&O)";
inline constexpr const wchar_t* kMenuAboutText = L"关于(&A)";

// The shell verb for every file-system object, under HKEY_CURRENT_USER.
inline constexpr const wchar_t* kContextMenuKeyPath =
    L"Software\\Classes\\AllFileSystemObjects\\shell\\Veriko";
inline constexpr const wchar_t* kContextMenuVerbValue = L"MUIVerb";
inline constexpr const wchar_t* kContextMenuVerbText = L"计算Hash值";
inline constexpr const wchar_t* kContextMenuCommandKey = L"command";
// Explorer offers a verb for selections of more than 15 items only with this
// model; "Player" starts the verb once per item, as for smaller selections.
inline constexpr const wchar_t* kContextMenuMultiSelectValue = L"MultiSelectModel";
inline constexpr const wchar_t* kContextMenuMultiSelectModel = L"Player";

inline constexpr const wchar_t* kErrorCaption = L"错误";
inline constexpr const wchar_t* kRemoveContextMenuFailed = L"移除右键菜单失败！";
inline constexpr const wchar_t* kAddContextMenuFailed = L"增加右键菜单失败！";
inline constexpr const wchar_t* kRemoveSendToFailed = L"移除发送菜单失败！";
inline constexpr const wchar_t* kAddSendToFailed = L"增加发送菜单失败！";

inline constexpr const wchar_t* kSendToLinkName = L"计算Hash值.lnk";
inline constexpr const wchar_t* kShortcutDescription = L"Varudodi";

// The verb's command line: the executable's path and %1, each in double quotes.
std::wstring ContextMenuCommandLine(std::wstring_view executablePath);

// The Send To shortcut inside the given Send To folder; empty when the folder
// is unknown, so that no shortcut is ever placed anywhere else.
std::wstring SendToLinkPathIn(std::wstring_view sendToFolder);

// The folder part of a path: everything up to and including its last
// backslash or colon; empty when it has neither.
std::wstring FolderPartOf(std::wstring_view path);
