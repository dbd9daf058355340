#include "SystemMenuWin32.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>

#include "MenuCheckState.h"
#include "RegistryKeyWin32.h"
#include "SettingsStoresWin32.h"
#include "ShellIntegration.h"
#include "ShellLinkWin32.h"
#include "Win32Raii.h"

namespace {

// The menu functions take the state as their check flag, unchanged.
UINT CheckFlag(std::int8_t state) {
    return static_cast<UINT>(static_cast<std::uint8_t>(state));
}

void CheckSystemMenuItem(HWND window, std::uint32_t id, std::int8_t state) {
    // Returns the previous check state, -1 for an item the menu lacks: an
    // item whose insertion failed has no mark to set.
    CheckMenuItem(GetSystemMenu(window, FALSE), id, MF_BYCOMMAND | CheckFlag(state));
}

void ShowError(HWND window, const wchar_t* text) {
    MessageBoxW(window, text, kErrorCaption, MB_ICONERROR);  // only OK: nothing to read back
}

void ToggleContextMenu(HWND window, std::int8_t& state, const std::wstring& executablePath) {
    if (state == kMenuChecked) {
        if (DeleteRegKeyTree(HKEY_CURRENT_USER, kContextMenuKeyPath)) {
            state = kMenuUnchecked;
        } else {
            ShowError(window, kRemoveContextMenuFailed);
        }
    } else {
        // What was created before a failing step stays in place.
        const UniqueRegKey verb = CreateRegKey(HKEY_CURRENT_USER, kContextMenuKeyPath);
        if (verb) {
            WriteRegString(verb.Get(), kContextMenuVerbValue, kContextMenuVerbText);
            WriteRegString(verb.Get(), kContextMenuMultiSelectValue, kContextMenuMultiSelectModel);
            const UniqueRegKey command = CreateRegKey(verb.Get(), kContextMenuCommandKey);
            if (command) {
                WriteRegString(command.Get(), L"", ContextMenuCommandLine(executablePath));
                state = kMenuChecked;
            }
        }
        if (state != kMenuChecked) ShowError(window, kAddContextMenuFailed);
    }
    CheckSystemMenuItem(window, kMenuContextMenuId, state);
}

void ToggleSendTo(HWND window, std::int8_t& state, const std::wstring& linkPath,
                  const std::wstring& executablePath) {
    if (state == kMenuChecked) {
        if (DeleteFileW(linkPath.c_str())) {
            state = kMenuUnchecked;
        } else {
            ShowError(window, kRemoveSendToFailed);
        }
    } else {
        // Without a Send To folder there is nowhere to put the shortcut.
        if (!linkPath.empty()) CreateShortcut(executablePath, linkPath);
        if (FileExistsAt(linkPath)) {
            state = kMenuChecked;
        } else {
            ShowError(window, kAddSendToFailed);
        }
    }
    CheckSystemMenuItem(window, kMenuSendToId, state);
}

void ToggleStayOnTop(HWND window, std::int8_t& state) {
    const bool onTop = state != kMenuChecked;
    ApplyStayOnTop(window, onTop);
    state = onTop ? kMenuChecked : kMenuUnchecked;
    CheckSystemMenuItem(window, kMenuStayOnTopId, state);
}

}  // namespace

std::wstring SpecialFolderPath(int csidl) {
    // A folder the system does not know, or one without a file-system path,
    // leaves the list or the path empty: the caller treats that as "no folder".
    UniqueCoTaskMem<ITEMIDLIST> list;
    SHGetSpecialFolderLocation(nullptr, csidl, list.Put());
    wchar_t path[MAX_PATH + 1] = {};
    if (list) SHGetPathFromIDListW(list.Get(), path);
    return path;
}

std::int8_t DetectContextMenuState() {
    return RegKeyExists(HKEY_CURRENT_USER, kContextMenuKeyPath,
                        KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS)
               ? kMenuChecked
               : kMenuUnchecked;
}

std::wstring ComposeSendToLinkPath() {
    return SendToLinkPathIn(SpecialFolderPath(CSIDL_SENDTO));
}

std::int8_t DetectSendToState(const std::wstring& sendToLinkPath) {
    return !sendToLinkPath.empty() && FileExistsAt(sendToLinkPath) ? kMenuChecked : kMenuUnchecked;
}

void ExtendSystemMenu(HWND window, std::int8_t contextMenuState, std::int8_t sendToState,
                      std::int8_t stayOnTopState) {
    // Without MF_BYPOSITION, 0xFFFF names a command no item has, so the
    // separator lands at the end; with it, 0xFFFF lies past the last item.
    // A failed insertion only leaves its item out of the menu; the window
    // works on without it, as it does without a system menu at all.
    const HMENU menu = GetSystemMenu(window, FALSE);
    InsertMenuW(menu, 0xFFFF, MF_SEPARATOR, kMenuSeparatorId, L"");
    InsertMenuW(menu, 0xFFFF, MF_BYPOSITION | MF_STRING | CheckFlag(contextMenuState),
                kMenuContextMenuId, kMenuContextMenuText);
    InsertMenuW(menu, 0xFFFF, MF_BYPOSITION | MF_STRING | CheckFlag(sendToState), kMenuSendToId,
                kMenuSendToText);
    InsertMenuW(menu, 0xFFFF, MF_BYPOSITION | MF_STRING | CheckFlag(stayOnTopState),
                kMenuStayOnTopId, kMenuStayOnTopText);
    InsertMenuW(menu, 0xFFFF, MF_BYPOSITION | MF_STRING, kMenuAboutId, kMenuAboutText);
}

void ApplyStayOnTop(HWND window, bool onTop) {
    // The state follows the user's choice; IsTopmostWindow reads what the
    // window really is, and the settings save that.
    SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool IsTopmostWindow(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool IsSystemMenuCommand(WPARAM wParam) {
    const auto command = static_cast<std::uint32_t>(wParam);
    return command >= kMenuContextMenuId && command <= kMenuAboutId;
}

void RunSystemMenuCommand(HWND window, WPARAM wParam, const SystemMenuStates& states,
                          const std::wstring& executablePath) {
    // The full low 32 bits: the low four bits are not masked off.
    switch (static_cast<std::uint32_t>(wParam)) {
        case kMenuContextMenuId:
            ToggleContextMenu(window, states.ContextMenuState, executablePath);
            break;
        case kMenuSendToId:
            ToggleSendTo(window, states.SendToState, states.SendToLinkPath, executablePath);
            break;
        case kMenuStayOnTopId:
            ToggleStayOnTop(window, states.StayOnTopState);
            break;
        default:
            break;
    }
}
