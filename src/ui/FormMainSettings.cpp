// TFormMain's settings and system-menu methods: the load at start-up with its
// snapshot, the save at close when something changed, the system-menu
// extension and its commands. Also the main unit's settings globals.

#include <windows.h>

#include <stdexcept>
#include <utility>

#include "AboutBox.h"
#include "FormMain.h"
#include "LoadSaveSettings.h"
#include "MainUnitSettings.h"
#include "MenuCheckState.h"
#include "SettingsSnapshot.h"
#include "SettingsStoresWin32.h"
#include "SettingsWindow.h"
#include "ShellIntegration.h"
#include "SystemMenuWin32.h"

std::int8_t ContextMenuState = kMenuUnchecked;
std::int8_t SendToState = kMenuUnchecked;
std::int8_t StayOnTopState = kMenuUnchecked;
std::wstring SendToLinkPath;
std::wstring SettingsSignature;
std::int32_t StartWidth = 0;
std::int32_t StartHeight = 0;

namespace {

// The window as the settings see it: its plain check boxes in creation
// order, its window state, form style and outer size.
class FormSettingsWindow final : public SettingsWindow {
  public:
    explicit FormSettingsWindow(TFormMain& form) noexcept : form_(form) {}

    std::size_t OptionCount() const override {
        std::size_t count = 0;
        for (const TControl* control : form_.Components) {
            if (control->Kind == TControlKind::CheckBox) ++count;
        }
        return count;
    }
    std::wstring OptionName(std::size_t index) const override { return Option(index).Name; }
    bool IsOptionChecked(std::size_t index) const override { return Option(index).Checked(); }
    void SetOptionChecked(std::size_t index, bool checked) override {
        Option(index).SetChecked(checked);
    }

    // A minimised window counts as what it returns to when restored: the
    // user's size and maximised state are kept, not the taskbar button's.
    bool IsMaximized() const override {
        switch (form_.WindowState()) {
            case TWindowState::wsMaximized:
                return true;
            case TWindowState::wsMinimized:
                return (Placement().flags & WPF_RESTORETOMAXIMIZED) != 0;
            default:
                return false;
        }
    }
    void SetMaximized() override { form_.SetWindowState(TWindowState::wsMaximized); }

    bool IsStayOnTop() const override { return IsTopmostWindow(form_.Handle()); }
    void SetStayOnTop() override { form_.SetStayOnTop(true); }

    // The outer size of the window in its normal (restored) placement,
    // whether it is maximised, minimised or neither.
    std::int32_t Width() const override {
        const RECT normal = Placement().rcNormalPosition;
        return normal.right - normal.left;
    }
    std::int32_t Height() const override {
        const RECT normal = Placement().rcNormalPosition;
        return normal.bottom - normal.top;
    }
    void SetWidth(std::int32_t width) override { form_.SetWidth(width); }
    void SetHeight(std::int32_t height) override { form_.SetHeight(height); }

  private:
    WINDOWPLACEMENT Placement() const {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (!::GetWindowPlacement(form_.Handle(), &placement)) {
            throw AppError(L"The window's placement cannot be read");
        }
        return placement;
    }

    const TControl& Option(std::size_t index) const {
        for (const TControl* control : form_.Components) {
            if (control->Kind != TControlKind::CheckBox) continue;
            if (index == 0) return *control;
            --index;
        }
        throw std::out_of_range("no such option check box");
    }

    TFormMain& form_;
};

}  // namespace

void TFormMain::LoadSaveSettings(std::int16_t mode) {
    FormSettingsWindow window(*this);
    SettingsStoresWin32 stores = SettingsProgramPath.empty()
                                     ? SettingsStoresWin32()
                                     : SettingsStoresWin32(SettingsProgramPath);
    ::LoadSaveSettings(window, mode, stores, StayOnTopState);
}

void TFormMain::LoadSettingsAndSnapshot() {
    LoadSaveSettings(kSettingsLoad);
    const FormSettingsWindow window(*this);
    StartWidth = window.Width();
    StartHeight = window.Height();
    SettingsSignature = ComputeSettingsSignature(FormSettingsWindow(*this), StayOnTopState);
}

void TFormMain::SaveSettingsIfChanged() {
    // The end of the session saves first; a close after it saves nothing.
    if (std::exchange(settingsSaved_, true)) return;
    if (SettingsNeedSaving(FormSettingsWindow(*this), StayOnTopState, SettingsSignature, StartWidth,
                           StartHeight)) {
        LoadSaveSettings(kSettingsSave);
    }
}

void TFormMain::ExtendSystemMenu() {
    ContextMenuState = DetectContextMenuState();
    SendToLinkPath = ComposeSendToLinkPath();
    SendToState = DetectSendToState(SendToLinkPath);
    ::ExtendSystemMenu(handle_, ContextMenuState, SendToState, StayOnTopState);
}

void TFormMain::WMSysCommand(WPARAM command) {
    // The standard commands (move, size, close...) go straight on to the
    // default handling, which the window runs after this in every case.
    if (!IsSystemMenuCommand(command)) return;
    if (static_cast<std::uint32_t>(command) == kMenuAboutId) {
        ShowAboutBox(handle_);
        return;
    }
    RunSystemMenuCommand(
        handle_, command,
        SystemMenuStates{ContextMenuState, SendToState, StayOnTopState, SendToLinkPath},
        CurrentExecutablePath());
}
