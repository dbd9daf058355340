#pragma once
// The about box of the system menu's "关于(&A)" command.

#include <string>

inline constexpr const wchar_t* kAboutCaption = L"关于";

// The about text: title line, address, a blank line and the features, each
// line ended by CR LF.
std::wstring AboutText();

#ifdef _WIN32
#include <windows.h>

// The about box, modal to the window, showing the executable's "MAINICON".
void ShowAboutBox(HWND window);
#endif
