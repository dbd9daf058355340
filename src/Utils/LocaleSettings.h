#pragma once
// The process-wide number and time settings of the user's locale. Readers
// get one unchangeable snapshot and keep it for as long as they format, so a
// change on the window's thread never shows them a mixture of old and new.

#include <memory>
#include <string>

struct LocaleSettings {
    std::wstring DecimalSeparator;
    std::wstring ThousandsSeparator;
    std::wstring TimeSeparator;  // may be empty: then times have no separator

    bool operator==(const LocaleSettings&) const = default;
};

// The snapshot in force. Taken from the user's default locale on first use
// when none has been installed yet. Safe from any thread.
std::shared_ptr<const LocaleSettings> CurrentLocaleSettings();

// Replaces the snapshot as a whole; readers holding the old one keep it.
void InstallLocaleSettings(LocaleSettings settings);

// Reads the separators of the user's default locale now.
LocaleSettings ReadUserLocaleSettings();

// Takes the user's locale again; the window calls it when the system
// announces changed regional settings.
void RefreshLocaleSettings();

// True for the area text of a settings-change notice (WM_SETTINGCHANGE's
// lParam) that announces changed regional settings: "intl".
bool IsRegionalSettingsChange(const wchar_t* area);
