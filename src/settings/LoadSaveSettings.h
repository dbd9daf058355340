#pragma once
// Loading and saving the option check boxes, the window size or maximized
// state and the stay-on-top state, in whichever store exists.

#include <cstdint>

#include "SettingsStores.h"
#include "SettingsWindow.h"

constexpr std::int16_t kSettingsLoad = 0;
constexpr std::int16_t kSettingsSave = 1;

// Mode kSettingsLoad reads the settings into the window, kSettingsSave writes
// them; any other mode does nothing. A load that turns staying on top on sets
// stayOnTopState to kMenuChecked. Never throws: a failing step ends the
// operation silently and whatever was done before it stays done.
void LoadSaveSettings(SettingsWindow& window, std::int16_t mode, SettingsStores& stores,
                      std::int8_t& stayOnTopState) noexcept;
