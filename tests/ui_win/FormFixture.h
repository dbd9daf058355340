#pragma once
// Creates the real main window in this process for a test and closes it
// again; also pumps messages so that the window can react.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FormMain.h"
#include "Win32TestSupport.h"

class FormFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window with the given command-line arguments.
    void CreateForm(const std::vector<std::wstring>& arguments = {});
    // Closes the window the way the close box does and pumps until it is gone.
    void CloseForm();
    // Pumps messages for the given time, or until `done` is true.
    void Pump(DWORD milliseconds);
    template <typename Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 30000) {
        const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
        while (!done()) {
            if (::GetTickCount64() > deadline) return false;
            PumpOnce();
        }
        return true;
    }
    void PumpOnce();

    // Client rectangle of a control, relative to the window's client area.
    RECT ClientRectOf(HWND control) const;
    std::wstring ViewText() const;

    // Each test starts from the design defaults and leaves no settings: the
    // window keeps them in the sandbox's hive or in the INI file beside the
    // sandbox's program path.
    static std::wstring IniPathOfThisProgram();
    ComApartment com_;
    FreshUserKey settingsKey_{L"SOFTWARE\\Veriko"};
    FreshFile iniFile_{IniPathOfThisProgram()};
    std::unique_ptr<TFormMain> form_;
};
