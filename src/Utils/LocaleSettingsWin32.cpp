// Separators of the user's default locale from the Windows locale database.
#include <windows.h>

#include "LocaleSettings.h"

namespace {

std::wstring LocaleText(LCTYPE item, const wchar_t* fallback) {
    wchar_t buffer[16] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 16);
    if (length <= 0) {
        return fallback;
    }
    return std::wstring(buffer);
}

}  // namespace

LocaleSettings ReadUserLocaleSettings() {
    LocaleSettings settings;
    settings.DecimalSeparator = LocaleText(LOCALE_SDECIMAL, L".");
    settings.ThousandsSeparator = LocaleText(LOCALE_STHOUSAND, L",");
    settings.TimeSeparator = LocaleText(LOCALE_STIME, L":");
    return settings;
}
