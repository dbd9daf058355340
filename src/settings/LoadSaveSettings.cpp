#include "LoadSaveSettings.h"

#include <exception>
#include <string>

#include "IniInteger.h"
#include "MenuCheckState.h"
#include "SettingKeyName.h"

namespace {

const wchar_t* const kSettingSection = L"Setting";
const wchar_t* const kPositionSection = L"Position";
const wchar_t* const kMaximized = L"Maximized";
const wchar_t* const kWidth = L"Width";
const wchar_t* const kHeight = L"Height";
const wchar_t* const kStayOnTop = L"StayOnTop";

std::wstring OptionKey(const SettingsWindow& window, std::size_t index) {
    return SettingKeyName(window.OptionName(index));
}

std::int32_t ReadIniInteger(IniStore& ini, const wchar_t* section, const std::wstring& key,
                            std::int32_t defaultValue) {
    return ParseIniInteger(ini.ReadText(section, key)).value_or(defaultValue);
}

bool ReadIniBool(IniStore& ini, const wchar_t* section, const std::wstring& key,
                 bool defaultValue) {
    const auto value = ParseIniInteger(ini.ReadText(section, key));
    return value ? *value != 0 : defaultValue;
}

void WriteIniBool(IniStore& ini, const wchar_t* section, const std::wstring& key, bool value) {
    ini.WriteText(section, key, value ? L"1" : L"0");
}

void LoadFromIni(SettingsWindow& window, IniStore& ini, std::int8_t& stayOnTopState) {
    for (std::size_t i = 0; i < window.OptionCount(); ++i) {
        window.SetOptionChecked(i, ReadIniBool(ini, kSettingSection, OptionKey(window, i), true));
    }
    if (ReadIniBool(ini, kPositionSection, kMaximized, false)) {
        window.SetMaximized();
    } else {
        window.SetWidth(ReadIniInteger(ini, kPositionSection, kWidth, window.Width()));
        window.SetHeight(ReadIniInteger(ini, kPositionSection, kHeight, window.Height()));
    }
    if (ReadIniBool(ini, kPositionSection, kStayOnTop, false)) {
        window.SetStayOnTop();
        stayOnTopState = kMenuChecked;
    }
}

void SaveToIni(const SettingsWindow& window, IniStore& ini) {
    for (std::size_t i = 0; i < window.OptionCount(); ++i) {
        WriteIniBool(ini, kSettingSection, OptionKey(window, i), window.IsOptionChecked(i));
    }
    const bool maximized = window.IsMaximized();
    WriteIniBool(ini, kPositionSection, kMaximized, maximized);
    if (!maximized) {  // a maximized window keeps the stored size as it was
        ini.WriteText(kPositionSection, kWidth, std::to_wstring(window.Width()));
        ini.WriteText(kPositionSection, kHeight, std::to_wstring(window.Height()));
    }
    WriteIniBool(ini, kPositionSection, kStayOnTop, window.IsStayOnTop());
}

std::int32_t AsSigned(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

void LoadFromRegistry(SettingsWindow& window, RegistryStore& registry,
                      std::int8_t& stayOnTopState) {
    const auto key = registry.OpenForRead();
    if (!key) return;  // never saved yet: nothing to load
    for (std::size_t i = 0; i < window.OptionCount(); ++i) {
        const std::wstring name = OptionKey(window, i);
        if (key->ValueExists(name)) {
            window.SetOptionChecked(i, (key->ReadDword(name) & 0xFFu) != 0);
        }
    }
    // Read without an existence test: a missing value ends the load here.
    if (key->ReadDword(kMaximized) != 0) {
        window.SetMaximized();
    } else {
        window.SetWidth(AsSigned(key->ReadDword(kWidth)));
        if (window.Width() < kMinimumOuterWidth) window.SetWidth(kMinimumOuterWidth);
        window.SetHeight(AsSigned(key->ReadDword(kHeight)));
        if (window.Height() < kMinimumOuterHeight) window.SetHeight(kMinimumOuterHeight);
    }
    if (key->ReadDword(kStayOnTop) != 0) {
        window.SetStayOnTop();
        stayOnTopState = kMenuChecked;
    }
}

void SaveToRegistry(const SettingsWindow& window, RegistryStore& registry) {
    const auto key = registry.OpenOrCreateForWrite();
    if (!key) return;
    for (std::size_t i = 0; i < window.OptionCount(); ++i) {
        key->WriteDword(OptionKey(window, i), window.IsOptionChecked(i) ? 1 : 0);
    }
    const bool maximized = window.IsMaximized();
    key->WriteDword(kMaximized, maximized ? 1 : 0);
    if (!maximized) {
        key->WriteDword(kWidth, static_cast<std::uint32_t>(window.Width()));
        key->WriteDword(kHeight, static_cast<std::uint32_t>(window.Height()));
    }
    key->WriteDword(kStayOnTop, window.IsStayOnTop() ? 1 : 0);
}

}  // namespace

void LoadSaveSettings(SettingsWindow& window, std::int16_t mode, SettingsStores& stores,
                      std::int8_t& stayOnTopState) noexcept {
    // Settings are a convenience: no failure of either store may reach the user
    // or keep the window from starting or closing. This is the one place where
    // the errors of the stores (AppError, or a failed allocation) are caught
    // and discarded; the step that failed ends the operation and the steps
    // before it stay done.
    if (mode != kSettingsLoad && mode != kSettingsSave) return;
    try {
        const bool useIni = stores.IniFileExists();
        if (mode == kSettingsLoad) {
            if (useIni) {
                LoadFromIni(window, stores.Ini(), stayOnTopState);
            } else {
                LoadFromRegistry(window, stores.Registry(), stayOnTopState);
            }
        } else {
            if (useIni) {
                SaveToIni(window, stores.Ini());
            } else {
                SaveToRegistry(window, stores.Registry());
            }
        }
    } catch (const std::exception&) {
        // Discarded, as above.
    }
}
