#pragma once
// Installs chosen locale settings for one test and puts the previous ones back.

#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "LocaleSettings.h"

class LocaleScope {
  public:
    explicit LocaleScope(LocaleSettings settings) : previous_(CurrentLocaleSettings()) {
        InstallLocaleSettings(std::move(settings));
    }
    ~LocaleScope() { InstallLocaleSettings(*previous_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

  private:
    std::shared_ptr<const LocaleSettings> previous_;
};

inline LocaleSettings CommaThousands() {
    return LocaleSettings{L".", L",", L":"};
}

// Readable failure messages for settings compared in tests.
inline void PrintTo(const LocaleSettings& settings, std::ostream* out) {
    auto codes = [](const std::wstring& text) {
        std::ostringstream listed;
        listed << "[" << std::hex;
        for (wchar_t c : text) {
            listed << " U+" << static_cast<unsigned long>(c);
        }
        listed << " ]";
        return listed.str();
    };
    *out << "{decimal " << codes(settings.DecimalSeparator) << ", thousands "
         << codes(settings.ThousandsSeparator) << ", time " << codes(settings.TimeSeparator) << "}";
}
