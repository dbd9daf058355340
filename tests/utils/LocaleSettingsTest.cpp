#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "LocaleScope.h"
#include "LocaleSettings.h"
#include "ReportFields.h"

namespace {

TEST(LocaleSettings, InstalledSnapshotIsCurrent) {
    const LocaleSettings chosen{L"#", L"_", L"h"};
    LocaleScope locale(chosen);
    EXPECT_EQ(*CurrentLocaleSettings(), chosen);
}

TEST(LocaleSettings, HeldSnapshotNeverChanges) {
    LocaleScope locale(LocaleSettings{L".", L",", L":"});
    const auto held = CurrentLocaleSettings();
    InstallLocaleSettings(LocaleSettings{L",", L".", L"."});
    EXPECT_EQ(*held, (LocaleSettings{L".", L",", L":"}));
    EXPECT_EQ(*CurrentLocaleSettings(), (LocaleSettings{L",", L".", L"."}));
}

TEST(LocaleSettings, RefreshTakesTheUserLocale) {
    LocaleScope locale(LocaleSettings{L"#", L"#", L"#"});
    RefreshLocaleSettings();
    EXPECT_EQ(*CurrentLocaleSettings(), ReadUserLocaleSettings());
}

TEST(LocaleSettings, UserLocaleHasADecimalSeparator) {
    EXPECT_FALSE(ReadUserLocaleSettings().DecimalSeparator.empty());
}

TEST(LocaleSettings, RegionalSettingsNotice) {
    EXPECT_TRUE(IsRegionalSettingsChange(L"intl"));
    EXPECT_FALSE(IsRegionalSettingsChange(nullptr));
    EXPECT_FALSE(IsRegionalSettingsChange(L""));
    EXPECT_FALSE(IsRegionalSettingsChange(L"Environment"));
    EXPECT_FALSE(IsRegionalSettingsChange(L"intl2"));
}

// Formatters on worker threads while the settings are swapped over and over:
// every line is made from one snapshot or the other, never a mixture.
TEST(LocaleSettings, FormattersSeeWholeSnapshots) {
    const LocaleSettings first{L".", L",", L":"};
    const LocaleSettings second{L"\u066B", L"\u066C", L"-"};
    LocaleScope locale(first);
    const std::wstring sizeFirst = FormatFileSizeLine(1234567);
    const std::wstring speedFirst = FormatSpeed(123456789, 2000);
    InstallLocaleSettings(second);
    const std::wstring sizeSecond = FormatFileSizeLine(1234567);
    const std::wstring speedSecond = FormatSpeed(123456789, 2000);
    ASSERT_NE(sizeFirst, sizeSecond);
    ASSERT_NE(speedFirst, speedSecond);

    std::atomic<bool> stop{false};
    std::atomic<int> mixtures{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                const std::wstring size = FormatFileSizeLine(1234567);
                const std::wstring speed = FormatSpeed(123456789, 2000);
                if ((size != sizeFirst && size != sizeSecond) ||
                    (speed != speedFirst && speed != speedSecond)) {
                    ++mixtures;
                }
            }
        });
    }
    for (int i = 0; i < 2000; ++i) {
        InstallLocaleSettings(i % 2 == 0 ? first : second);
    }
    stop = true;
    for (auto& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(mixtures.load(), 0);
}

}  // namespace

#ifndef _WIN32
#include <locale.h>

#include <cstdlib>

namespace {

TEST(LocaleSettings, ReadsTheEnvironmentLocale) {
    const char* previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(ReadUserLocaleSettings(), (LocaleSettings{L".", L"", L":"}));
    const locale_t chinese = newlocale(LC_ALL_MASK, "zh_CN.UTF-8", static_cast<locale_t>(0));
    if (chinese != static_cast<locale_t>(0)) {
        freelocale(chinese);
        setenv("LC_ALL", "zh_CN.UTF-8", 1);
        EXPECT_EQ(ReadUserLocaleSettings(), (LocaleSettings{L".", L",", L":"}));
    }
    if (previous) {
        setenv("LC_ALL", saved.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
}

}  // namespace
#endif
