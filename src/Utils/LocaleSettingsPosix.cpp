// Separators of the user's default locale (LANG, LC_*) from the C library,
// read through a private locale object so that the process locale stays as
// it is.
#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>

#include "LocaleSettings.h"
#include "Utf8Text.h"

namespace {

class LocaleHandle {
  public:
    LocaleHandle() : handle_(newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0))) {}
    ~LocaleHandle() {
        if (handle_ != static_cast<locale_t>(0)) {
            freelocale(handle_);
        }
    }
    LocaleHandle(const LocaleHandle&) = delete;
    LocaleHandle& operator=(const LocaleHandle&) = delete;

    bool Valid() const { return handle_ != static_cast<locale_t>(0); }
    locale_t Get() const { return handle_; }

  private:
    locale_t handle_;
};

std::wstring LocaleText(const char* text, bool utf8) {
    if (utf8) {
        return Utf8ToWide(text);
    }
    // Other code sets: keep the ASCII part, which covers every common separator.
    std::wstring wide;
    for (const char* p = text; *p != '\0'; ++p) {
        if (static_cast<unsigned char>(*p) < 0x80) {
            wide.push_back(static_cast<wchar_t>(*p));
        }
    }
    return wide;
}

// The C library has no time separator item: take the text that stands both
// between the hours and the minutes and between the minutes and the seconds
// of the locale's time format ("%H.%M.%S" gives "."). Formats with unit
// words instead ("%H时%M分%S秒") keep the common ":".
std::string TextBetween(const std::string& format, const char* from, const char* to) {
    const auto start = format.find(from);
    if (start == std::string::npos) {
        return {};
    }
    const auto end = format.find(to, start + 2);
    if (end == std::string::npos) {
        return {};
    }
    return format.substr(start + 2, end - start - 2);
}

std::string TimeSeparatorOf(const char* timeFormat) {
    const std::string format(timeFormat);
    if (format.find("%T") != std::string::npos || format.find("%R") != std::string::npos) {
        return ":";
    }
    for (const char* hour : {"%H", "%I", "%k", "%l"}) {
        const std::string first = TextBetween(format, hour, "%M");
        const std::string second = TextBetween(format, "%M", "%S");
        if (!first.empty() && first == second && first.find('%') == std::string::npos) {
            return first;
        }
    }
    return ":";
}

}  // namespace

LocaleSettings ReadUserLocaleSettings() {
    LocaleHandle locale;
    if (!locale.Valid()) {
        return LocaleSettings{L".", L",", L":"};
    }
    const bool utf8 = std::strcmp(nl_langinfo_l(CODESET, locale.Get()), "UTF-8") == 0;
    LocaleSettings settings;
    settings.DecimalSeparator = LocaleText(nl_langinfo_l(RADIXCHAR, locale.Get()), utf8);
    settings.ThousandsSeparator = LocaleText(nl_langinfo_l(THOUSEP, locale.Get()), utf8);
    settings.TimeSeparator =
        LocaleText(TimeSeparatorOf(nl_langinfo_l(T_FMT, locale.Get())).c_str(), utf8);
    if (settings.DecimalSeparator.empty()) {
        settings.DecimalSeparator = L".";
    }
    return settings;
}
