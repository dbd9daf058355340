#pragma once
// The settings and shell-integration state of the main unit, kept beside the
// window class (defined with TFormMain's settings methods).

#include <cstdint>
#include <string>

// 0 or kMenuChecked (MF_CHECKED); each is also its system-menu item's check flag.
extern std::int8_t ContextMenuState;  // the context-menu verb is registered
extern std::int8_t SendToState;       // the Send To shortcut exists
extern std::int8_t StayOnTopState;    // the window is kept on top

// Full path of the Send To shortcut; empty when the Send To folder is unknown.
extern std::wstring SendToLinkPath;

// The start-up snapshot: options and stay-on-top state, and the outer size,
// right after the settings were loaded.
extern std::wstring SettingsSignature;
extern std::int32_t StartWidth;
extern std::int32_t StartHeight;
