#include "FormFixture.h"

#include <commctrl.h>

#include <stdexcept>

#include "IniPath.h"

std::wstring FormFixture::IniPathOfThisProgram() {
    const UserSettingsSandbox* sandbox = UserSettingsSandbox::Active();
    if (!sandbox) throw std::logic_error("the window is tested only inside the settings sandbox");
    return IniPathForExecutable(sandbox->ProgramPath());
}

void FormFixture::SetUp() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

void FormFixture::TearDown() {
    if (form_ && form_->Handle()) CloseForm();
    form_.reset();
    FormMain = nullptr;
    // Drop the quit request the closed window left behind.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
    }
}

void FormFixture::CreateForm(const std::vector<std::wstring>& arguments) {
    form_ = std::make_unique<TFormMain>();
    form_->SettingsProgramPath = UserSettingsSandbox::Active()->ProgramPath();
    FormMain = form_.get();
    form_->Create(arguments, SW_SHOWNORMAL);
    Pump(50);
}

void FormFixture::CloseForm() {
    ::PostMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, 120000));
}

void FormFixture::PumpOnce() {
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    } else {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void FormFixture::Pump(DWORD milliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    while (::GetTickCount64() < deadline) PumpOnce();
}

RECT FormFixture::ClientRectOf(HWND control) const {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring FormFixture::ViewText() const {
    const int length = ::GetWindowTextLengthW(form_->RichEdit1.Handle);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(form_->RichEdit1.Handle, text.data(), length + 1)));
    return text;
}
