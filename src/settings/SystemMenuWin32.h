#pragma once
// The window's system-menu extension: the shell context-menu verb, the Send To
// shortcut, stay-on-top and the about item (items 1025 to 1029); the window
// shows the about box itself.

#include <windows.h>

#include <cstdint>
#include <string>

// The window's shell-integration globals, which the commands read and toggle.
// Each state is 0 or kMenuChecked and doubles as its item's check flag.
struct SystemMenuStates {
    std::int8_t& ContextMenuState;
    std::int8_t& SendToState;
    std::int8_t& StayOnTopState;
    const std::wstring& SendToLinkPath;
};

// The file-system path of a shell special folder (CSIDL number); empty when
// the folder has no path.
std::wstring SpecialFolderPath(int csidl);

// kMenuChecked when the verb key exists under HKEY_CURRENT_USER, whatever it holds.
std::int8_t DetectContextMenuState();

// "<Send To folder>\计算Hash值.lnk"; empty when the Send To folder is unknown.
std::wstring ComposeSendToLinkPath();

// kMenuChecked when a file exists at the path, whatever it holds.
std::int8_t DetectSendToState(const std::wstring& sendToLinkPath);

// Appends the separator and the four commands to the window's system menu,
// the first three checked according to their states.
void ExtendSystemMenu(HWND window, std::int8_t contextMenuState, std::int8_t sendToState,
                      std::int8_t stayOnTopState);

// Makes the window topmost or ends that, without moving, sizing or activating it.
void ApplyStayOnTop(HWND window, bool onTop);
bool IsTopmostWindow(HWND window);

// True when the low 32 bits of wParam are exactly one of 1026 to 1029; the
// low four bits are not masked off.
bool IsSystemMenuCommand(WPARAM wParam);

// Runs the command when the low 32 bits of wParam are exactly 1026 to 1028
// and does nothing otherwise (the about box, 1029, is the window's own); the window passes every
// WM_SYSCOMMAND on to its standard handling afterwards. A failed toggle shows its error box and
// keeps its state. Throws AppError when a registry value cannot be written after its key was opened
// or the shell link object cannot be had; the state and check mark are then left as they were.
void RunSystemMenuCommand(HWND window, WPARAM wParam, const SystemMenuStates& states,
                          const std::wstring& executablePath);
