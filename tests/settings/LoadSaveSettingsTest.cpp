// The load and save flows of both stores, the choice between them, the
// start-up snapshot and the change test at close.

#include <gtest/gtest.h>

#include "LoadSaveSettings.h"
#include "MenuCheckState.h"
#include "SettingsFakes.h"
#include "SettingsSnapshot.h"

namespace {

const std::vector<bool> kDesign = {true, true, true, true, true, true, true, true, false, false};
const std::vector<bool> kAllChecked(10, true);
const wchar_t* const kKeys[] = {L"MD5",  L"SHA1", L"CRC32", L"SHA256",   L"Path",
                                L"Size", L"Ver",  L"Time",  L"CalcTime", L"Upcase"};

class SettingsFlow : public testing::Test {
  protected:
    FakeWindow window;
    FakeStores stores;
    std::int8_t stayOnTopState = kMenuUnchecked;

    void Load() { LoadSaveSettings(window, kSettingsLoad, stores, stayOnTopState); }
    void Save() { LoadSaveSettings(window, kSettingsSave, stores, stayOnTopState); }
    void UseIni() { stores.iniExists = true; }
    FakeIniStore& Ini() { return stores.ini; }
    FakeRegistryStore& Reg() { return stores.registry; }
    void SetIni(const std::wstring& section, const std::wstring& key, const std::wstring& text) {
        stores.ini.values[{section, key}] = text;
    }
    void ExpectWindowUntouched() {
        EXPECT_EQ(window.Checks(), kDesign);
        EXPECT_FALSE(window.maximized);
        EXPECT_FALSE(window.stayOnTop);
        EXPECT_EQ(window.width, 527);
        EXPECT_EQ(window.height, 424);
        EXPECT_EQ(stayOnTopState, kMenuUnchecked);
    }
};

// --- Choice of store -------------------------------------------------------

TEST_F(SettingsFlow, ExistingIniFileIsTheOnlyStoreUsed) {
    UseIni();
    Reg().Set(L"MD5", 0);
    Reg().Set(L"Maximized", 1);
    Load();
    Save();
    EXPECT_EQ(stores.registryUses, 0);
    EXPECT_EQ(Reg().opens, 0);
    EXPECT_TRUE(Reg().writes.empty());
    EXPECT_TRUE(window.options[0].checked) << "the registry's MD5 = 0 must be ignored";
    EXPECT_FALSE(window.maximized);
    EXPECT_FALSE(Ini().writes.empty());
}

TEST_F(SettingsFlow, WithoutIniFileOnlyTheRegistryIsUsed) {
    SetIni(L"Setting", L"MD5", L"0");
    Load();
    Save();
    EXPECT_EQ(stores.iniUses, 0);
    EXPECT_TRUE(Ini().writes.empty());
    EXPECT_TRUE(window.options[0].checked);
    EXPECT_EQ(Reg().writes.size(), 14u);
}

TEST_F(SettingsFlow, OtherModesDoNothing) {
    Reg().Set(L"MD5", 0);
    for (std::int16_t mode : {std::int16_t{2}, std::int16_t{-1}, std::int16_t{256}}) {
        LoadSaveSettings(window, mode, stores, stayOnTopState);
    }
    EXPECT_EQ(Reg().opens, 0);
    EXPECT_EQ(stores.iniUses, 0);
    ExpectWindowUntouched();
}

// --- INI load --------------------------------------------------------------

TEST_F(SettingsFlow, EmptyIniChecksAllTenBoxesAndKeepsSizeAndStyle) {
    UseIni();
    Load();
    EXPECT_EQ(window.Checks(), kAllChecked) << "the INI default is checked, for every box";
    EXPECT_FALSE(window.maximized);
    EXPECT_EQ(window.width, 527);
    EXPECT_EQ(window.height, 424);
    EXPECT_FALSE(window.stayOnTop);
    EXPECT_EQ(stayOnTopState, kMenuUnchecked);
    EXPECT_TRUE(Ini().writes.empty());
}

TEST_F(SettingsFlow, IniBooleansAreIntegersWithCheckedAsDefault) {
    UseIni();
    const wchar_t* const texts[] = {L"0",    L"1",   L"2", L"-1", L"0x0",
                                    L"0x10", L"abc", L"",  L"00", L"0x"};
    const bool expected[] = {false, true, true, true, false, true, true, true, false, true};
    for (std::size_t i = 0; i < 10; ++i) SetIni(L"Setting", kKeys[i], texts[i]);
    Load();
    EXPECT_EQ(window.Checks(), std::vector<bool>(std::begin(expected), std::end(expected)));
}

TEST_F(SettingsFlow, IniSizeIsSetAsReadWithoutClamp) {
    UseIni();
    SetIni(L"Position", L"Width", L"300");
    SetIni(L"Position", L"Height", L"0x200");
    Load();
    EXPECT_EQ(window.width, 300) << "only the window's own minimum-size rule applies";
    EXPECT_EQ(window.height, 512);
}

TEST_F(SettingsFlow, MalformedIniWidthLeavesTheWidthUnchanged) {
    UseIni();
    SetIni(L"Position", L"Width", L"wide");
    SetIni(L"Position", L"Height", L"600");
    Load();
    EXPECT_EQ(window.width, 527);
    EXPECT_EQ(window.height, 600);
}

TEST_F(SettingsFlow, IniMaximizedSkipsTheSize) {
    UseIni();
    SetIni(L"Position", L"Maximized", L"1");
    SetIni(L"Position", L"Width", L"800");
    SetIni(L"Position", L"Height", L"700");
    Load();
    EXPECT_TRUE(window.maximized);
    EXPECT_EQ(window.sizeSets, 0);
    EXPECT_EQ(window.width, 527);
}

TEST_F(SettingsFlow, IniStayOnTopTurnsItOnButNeverOff) {
    UseIni();
    SetIni(L"Position", L"StayOnTop", L"1");
    Load();
    EXPECT_TRUE(window.stayOnTop);
    EXPECT_EQ(stayOnTopState, kMenuChecked);

    FakeWindow other;
    other.stayOnTop = true;
    std::int8_t otherState = kMenuChecked;
    SetIni(L"Position", L"StayOnTop", L"0");
    LoadSaveSettings(other, kSettingsLoad, stores, otherState);
    EXPECT_TRUE(other.stayOnTop);
    EXPECT_EQ(otherState, kMenuChecked);
}

// --- INI save --------------------------------------------------------------

std::vector<IniWrite> ExpectedIniWrites(const std::vector<bool>& checks, bool maximized,
                                        std::int32_t width, std::int32_t height, bool onTop) {
    std::vector<IniWrite> writes;
    for (std::size_t i = 0; i < 10; ++i)
        writes.push_back({L"Setting", kKeys[i], checks[i] ? L"1" : L"0"});
    writes.push_back({L"Position", L"Maximized", maximized ? L"1" : L"0"});
    if (!maximized) {
        writes.push_back({L"Position", L"Width", std::to_wstring(width)});
        writes.push_back({L"Position", L"Height", std::to_wstring(height)});
    }
    writes.push_back({L"Position", L"StayOnTop", onTop ? L"1" : L"0"});
    return writes;
}

TEST_F(SettingsFlow, IniSaveWritesOnesZerosAndDecimalSizeInOrder) {
    UseIni();
    window.options[0].checked = false;
    window.options[9].checked = true;
    window.width = 1024;
    window.height = 768;
    window.stayOnTop = true;
    Save();
    std::vector<bool> checks = kDesign;
    checks[0] = false;
    checks[9] = true;
    EXPECT_EQ(Ini().writes, ExpectedIniWrites(checks, false, 1024, 768, true));
}

TEST_F(SettingsFlow, IniSaveWhileMaximizedLeavesTheStoredSize) {
    UseIni();
    SetIni(L"Position", L"Width", L"640");
    SetIni(L"Position", L"Height", L"480");
    window.maximized = true;
    Save();
    EXPECT_EQ(Ini().writes, ExpectedIniWrites(kDesign, true, 0, 0, false));
    EXPECT_EQ(Ini().ReadText(L"Position", L"Width"), L"640");
    EXPECT_EQ(Ini().ReadText(L"Position", L"Height"), L"480");
}

TEST_F(SettingsFlow, FailedIniWriteEndsTheSaveQuietly) {
    UseIni();
    const auto all = ExpectedIniWrites(kDesign, false, 527, 424, false);
    for (int failAt : {0, 5, 10, 11, 13}) {
        Ini().writes.clear();
        Ini().failAtWrite = failAt;
        Save();  // must not throw
        EXPECT_EQ(Ini().writes, std::vector<IniWrite>(all.begin(), all.begin() + failAt))
            << "failing write " << failAt;
    }
}

// --- Registry load ---------------------------------------------------------

class RegistryLoad : public SettingsFlow {
  protected:
    void StoreComplete() {
        for (const wchar_t* key : kKeys) Reg().Set(key, 0);
        Reg().Set(L"Maximized", 0);
        Reg().Set(L"Width", 800);
        Reg().Set(L"Height", 600);
        Reg().Set(L"StayOnTop", 1);
    }
    void TearDown() override { EXPECT_EQ(Reg().openKeys, 0) << "the key must be released"; }
};

TEST_F(RegistryLoad, MissingKeyLoadsNothing) {
    Load();
    ExpectWindowUntouched();
    EXPECT_FALSE(Reg().keyExists);
}

TEST_F(RegistryLoad, CompleteKeyIsApplied) {
    StoreComplete();
    Load();
    EXPECT_EQ(window.Checks(), std::vector<bool>(10, false));
    EXPECT_FALSE(window.maximized);
    EXPECT_EQ(window.width, 800);
    EXPECT_EQ(window.height, 600);
    EXPECT_TRUE(window.stayOnTop);
    EXPECT_EQ(stayOnTopState, kMenuChecked);
    EXPECT_TRUE(Reg().writes.empty());
}

TEST_F(RegistryLoad, CheckBoxesLookAtTheLowestEightBitsOnly) {
    StoreComplete();
    const std::uint32_t numbers[] = {256,  2,           1, 0x101,   0xFFFFFF00u,
                                     0x80, 0xFFFFFFFFu, 0, 0x10000, 0x1FF};
    const bool expected[] = {false, true, true, true, false, true, true, false, false, true};
    for (std::size_t i = 0; i < 10; ++i) Reg().Set(kKeys[i], numbers[i]);
    Load();
    EXPECT_EQ(window.Checks(), std::vector<bool>(std::begin(expected), std::end(expected)));
}

TEST_F(RegistryLoad, CheckBoxWithoutValueKeepsItsState) {
    StoreComplete();
    Reg().values.erase(L"MD5");
    Reg().values.erase(L"Upcase");
    Reg().Set(L"CalcTime", 1);
    Load();
    const std::vector<bool> expected = {true,  false, false, false, false,
                                        false, false, false, true,  false};
    EXPECT_EQ(window.Checks(), expected);
    EXPECT_EQ(window.width, 800) << "the load goes on after a missing check-box value";
}

TEST_F(RegistryLoad, UnreadableCheckBoxEndsTheLoadThere) {
    StoreComplete();
    Reg().SetUnreadable(L"SHA256");  // the fourth box
    Load();
    const std::vector<bool> expected = {false, false, false, true,  true,
                                        true,  true,  true,  false, false};
    EXPECT_EQ(window.Checks(), expected);
    EXPECT_EQ(window.width, 527);
    EXPECT_EQ(window.height, 424);
    EXPECT_FALSE(window.stayOnTop);
    EXPECT_EQ(stayOnTopState, kMenuUnchecked);
}

TEST_F(RegistryLoad, KeyWithoutMaximizedAppliesOnlyTheCheckBoxes) {
    for (const wchar_t* key : kKeys) Reg().Set(key, 0);
    Reg().Set(L"Width", 800);
    Reg().Set(L"StayOnTop", 1);
    Load();
    EXPECT_EQ(window.Checks(), std::vector<bool>(10, false));
    EXPECT_EQ(window.sizeSets, 0);
    EXPECT_FALSE(window.stayOnTop);
    EXPECT_EQ(stayOnTopState, kMenuUnchecked);
}

TEST_F(RegistryLoad, MissingOrUnreadableValueEndsTheLoadAtThatValue) {
    struct Case {
        const wchar_t* name;
        bool unreadable;
        std::int32_t width, height;
        bool onTop;
    };
    const Case cases[] = {
        {L"Width", false, 527, 424, false},     {L"Width", true, 527, 424, false},
        {L"Height", false, 800, 424, false},    {L"Height", true, 800, 424, false},
        {L"StayOnTop", false, 800, 600, false}, {L"StayOnTop", true, 800, 600, false},
    };
    for (const Case& c : cases) {
        FakeWindow fresh;
        FakeRegistryStore& reg = Reg();
        reg.values.clear();
        StoreComplete();
        if (c.unreadable) {
            reg.SetUnreadable(c.name);
        } else {
            reg.values.erase(c.name);
        }
        std::int8_t state = kMenuUnchecked;
        LoadSaveSettings(fresh, kSettingsLoad, stores, state);
        SCOPED_TRACE(testing::PrintToString(c.name) + (c.unreadable ? " unreadable" : " missing"));
        EXPECT_EQ(fresh.Checks(), std::vector<bool>(10, false));
        EXPECT_EQ(fresh.width, c.width);
        EXPECT_EQ(fresh.height, c.height);
        EXPECT_EQ(fresh.stayOnTop, c.onTop);
        EXPECT_EQ(state, kMenuUnchecked);
    }
}

TEST_F(RegistryLoad, SizeBelowTheMinimumIsRaisedTo511By397) {
    const struct {
        std::uint32_t width, height;
        std::int32_t loadedWidth, loadedHeight;
    } cases[] = {
        {300, 200, 511, 397},
        {510, 396, 511, 397},
        {511, 397, 511, 397},
        {512, 398, 512, 398},
        {0, 0, 511, 397},
        {0xFFFFFFFFu, 0x80000000u, 511, 397},  // negative as 32-bit signed numbers
        {0x7FFFFFFFu, 1000, 0x7FFFFFFF, 1000},
    };
    for (const auto& c : cases) {
        FakeWindow fresh;
        StoreComplete();
        Reg().Set(L"Width", c.width);
        Reg().Set(L"Height", c.height);
        std::int8_t state = kMenuUnchecked;
        LoadSaveSettings(fresh, kSettingsLoad, stores, state);
        EXPECT_EQ(fresh.width, c.loadedWidth) << c.width << " x " << c.height;
        EXPECT_EQ(fresh.height, c.loadedHeight) << c.width << " x " << c.height;
    }
}

TEST_F(RegistryLoad, MaximizedIsAnyNonZeroNumberAndSkipsTheSize) {
    StoreComplete();
    Reg().Set(L"Maximized", 0x100);  // not only the low byte counts here
    Reg().values.erase(L"Width");
    Load();
    EXPECT_TRUE(window.maximized);
    EXPECT_EQ(window.sizeSets, 0);
    EXPECT_TRUE(window.stayOnTop) << "stay-on-top is still read after the skipped size";
}

TEST_F(RegistryLoad, StayOnTopZeroChangesNothing) {
    StoreComplete();
    Reg().Set(L"StayOnTop", 0);
    window.stayOnTop = true;
    stayOnTopState = kMenuChecked;
    Load();
    EXPECT_TRUE(window.stayOnTop);
    EXPECT_EQ(stayOnTopState, kMenuChecked);
}

// --- Registry save ---------------------------------------------------------

using RegWrites = std::vector<std::pair<std::wstring, std::uint32_t>>;

RegWrites ExpectedRegWrites(const std::vector<bool>& checks, bool maximized, std::uint32_t width,
                            std::uint32_t height, bool onTop) {
    RegWrites writes;
    for (std::size_t i = 0; i < 10; ++i) writes.emplace_back(kKeys[i], checks[i] ? 1 : 0);
    writes.emplace_back(L"Maximized", maximized ? 1 : 0);
    if (!maximized) {
        writes.emplace_back(L"Width", width);
        writes.emplace_back(L"Height", height);
    }
    writes.emplace_back(L"StayOnTop", onTop ? 1 : 0);
    return writes;
}

class RegistrySave : public SettingsFlow {
  protected:
    void TearDown() override { EXPECT_EQ(Reg().openKeys, 0) << "the key must be released"; }
};

TEST_F(RegistrySave, CreatesTheKeyAndWritesEveryValueInOrder) {
    window.options[2].checked = false;
    window.stayOnTop = true;
    window.width = 900;
    window.height = 700;
    Save();
    std::vector<bool> checks = kDesign;
    checks[2] = false;
    EXPECT_TRUE(Reg().keyExists);
    EXPECT_EQ(Reg().writes, ExpectedRegWrites(checks, false, 900, 700, true));
}

TEST_F(RegistrySave, MaximizedLeavesTheStoredSize) {
    Reg().Set(L"Width", 640);
    Reg().Set(L"Height", 480);
    window.maximized = true;
    Save();
    EXPECT_EQ(Reg().writes, ExpectedRegWrites(kDesign, true, 0, 0, false));
    EXPECT_EQ(Reg().values[L"Width"].number, 640u);
    EXPECT_EQ(Reg().values[L"Height"].number, 480u);
}

TEST_F(RegistrySave, KeyThatCannotBeCreatedSavesNothing) {
    Reg().createFails = true;
    Save();
    EXPECT_TRUE(Reg().writes.empty());
    EXPECT_FALSE(Reg().keyExists);
}

TEST_F(RegistrySave, FailedWriteEndsTheSaveQuietly) {
    const auto all = ExpectedRegWrites(kDesign, false, 527, 424, false);
    for (int failAt : {0, 4, 10, 12, 13}) {
        Reg().writes.clear();
        Reg().failAtWrite = failAt;
        Save();
        EXPECT_EQ(Reg().writes, RegWrites(all.begin(), all.begin() + failAt))
            << "failing write " << failAt;
    }
}

// --- Snapshot and change test ----------------------------------------------

TEST(SettingsSignature, OneDigitPerBoxThenTheStayOnTopState) {
    FakeWindow window;
    EXPECT_EQ(ComputeSettingsSignature(window, kMenuUnchecked), L"11111111000");
    EXPECT_EQ(ComputeSettingsSignature(window, kMenuChecked), L"11111111008");
    window.SetAllChecks(false);
    window.options[2].checked = true;  // CB_CRC32, third in creation order
    EXPECT_EQ(ComputeSettingsSignature(window, kMenuUnchecked), L"00100000000");
    window.SetAllChecks(true);
    EXPECT_EQ(ComputeSettingsSignature(window, kMenuChecked), L"11111111118");
}

TEST(SettingsNeedSaving, OnlyAChangedSignatureWidthOrHeightOrAMaximisedWindowCounts) {
    FakeWindow window;
    const std::wstring start = ComputeSettingsSignature(window, kMenuUnchecked);
    const auto needsSaving = [&](const FakeWindow& now, std::int8_t state) {
        return SettingsNeedSaving(now, state, start, 527, 424);
    };
    EXPECT_FALSE(needsSaving(window, kMenuUnchecked)) << "nothing changed, or only moved";

    FakeWindow toggled = window;
    toggled.options[8].checked = true;
    EXPECT_TRUE(needsSaving(toggled, kMenuUnchecked));
    EXPECT_TRUE(needsSaving(window, kMenuChecked)) << "stay-on-top toggled";

    FakeWindow wider = window;
    wider.width = 528;
    EXPECT_TRUE(needsSaving(wider, kMenuUnchecked));
    FakeWindow taller = window;
    taller.height = 425;
    EXPECT_TRUE(needsSaving(taller, kMenuUnchecked)) << "only the height changed";

    FakeWindow back = window;
    back.SetWidth(800);
    back.SetWidth(527);
    EXPECT_FALSE(needsSaving(back, kMenuUnchecked)) << "resized and brought back";

    FakeWindow maximised = window;  // its normal size unchanged
    maximised.maximized = true;
    EXPECT_TRUE(needsSaving(maximised, kMenuUnchecked));
}

// --- A run: load, snapshot, change test, save --------------------------------

class SettingsRun : public SettingsFlow {
  protected:
    std::wstring startSignature;
    std::int32_t startWidth = 0, startHeight = 0;

    void Start() {
        Load();
        startSignature = ComputeSettingsSignature(window, stayOnTopState);
        startWidth = window.Width();
        startHeight = window.Height();
    }
    void Close() {
        if (SettingsNeedSaving(window, stayOnTopState, startSignature, startWidth, startHeight)) {
            Save();
        }
    }
};

TEST_F(SettingsRun, NoStoreAndNoChangeWritesNothingAndCreatesNoKey) {
    Start();
    Close();
    ExpectWindowUntouched();
    EXPECT_FALSE(Reg().keyExists);
    EXPECT_TRUE(Reg().writes.empty());
}

TEST_F(SettingsRun, EmptyIniAndNoChangeLeavesTheFileEmpty) {
    UseIni();
    Start();
    Close();
    EXPECT_TRUE(Ini().writes.empty());
    EXPECT_TRUE(Ini().values.empty());
}

TEST_F(SettingsRun, ChangedOptionIsLoadedByTheNextRun) {
    Start();
    window.options[9].checked = true;
    Close();
    FakeWindow next;
    std::int8_t nextState = kMenuUnchecked;
    LoadSaveSettings(next, kSettingsLoad, stores, nextState);
    EXPECT_EQ(next.Checks(), window.Checks());
    EXPECT_EQ(next.width, 527);
}

TEST_F(SettingsRun, IniFileCreatedDuringTheRunTakesTheSave) {
    Start();
    UseIni();
    window.height = 500;
    Close();
    EXPECT_FALSE(Reg().keyExists);
    EXPECT_EQ(Ini().ReadText(L"Position", L"Height"), L"500");
}

}  // namespace
