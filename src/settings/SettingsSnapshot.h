#pragma once
// The start-up snapshot and the change test at close: the settings are saved
// only when the options, the stay-on-top state or the window size changed.

#include <cstdint>
#include <string>

#include "SettingsWindow.h"

// One digit per option ("1" checked, "0" not) in the window's order, then the
// stay-on-top state as a decimal number: "11111111000" for the defaults.
std::wstring ComputeSettingsSignature(const SettingsWindow& window, std::int8_t stayOnTopState);

// True when the signature of the current state differs from the one taken at
// start-up, when the window is maximised (or returns to maximised when
// restored), or when the outer width or height of its normal placement
// differs from the start-up size.
bool SettingsNeedSaving(const SettingsWindow& window, std::int8_t stayOnTopState,
                        const std::wstring& startSignature, std::int32_t startWidth,
                        std::int32_t startHeight);
