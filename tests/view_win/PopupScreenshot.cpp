// Shows the window with a filled result view and the view's popup menu open
// for a while, so that a screenshot of the menu can be taken. Not a test:
// run it by hand with the time to hold the menu open in milliseconds.

#include "FormMain.h"  // first: it brings <windows.h>

// These need the declarations of <windows.h>.
#include <commctrl.h>
#include <richedit.h>

#include <cwchar>
#include <string>

#include "UserSettingsSandbox.h"
#include "ViewFixture.h"

namespace {

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    ::EndMenu();
}

// Lets the window come up on the screen before the menu opens.
void PumpFor(DWORD milliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    MSG msg;
    while (::GetTickCount64() < deadline) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void FillView(HWND view, const std::wstring& text) {
    ::EnableWindow(view, TRUE);
    ::SetWindowTextW(view, L"");
    SetParagraphAlignment(view, PFA_LEFT);
    ::SendMessageW(view, EM_SETSEL, -1, -1);
    ::SendMessageW(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const UINT holdMs = argc > 1 ? static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10)) : 5000;
    const UserSettingsSandbox sandbox;  // the window loads and saves settings
    ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    TFormMain form;
    form.SettingsProgramPath = sandbox.ProgramPath();
    FormMain = &form;
    form.Create({}, SW_SHOWNORMAL);
    const HWND view = form.RichEdit1.Handle;
    FillView(view, ReportBlock(L"C:\\下载\\ubuntu-24.04-desktop-amd64.iso", true) +
                       ReportBlock(L"C:\\下载\\校验工具说明.txt", true));
    for (const TControl* button :
         {&form.Btn_ComText, &form.Btn_Clear, &form.Btn_Copy, &form.Btn_Save}) {
        button->SetEnabled(true);
    }
    // The first file's MD5 digest selected, as after a find.
    const std::wstring text = ReportBlock(L"C:\\下载\\ubuntu-24.04-desktop-amd64.iso", true);
    const LONG digest = static_cast<LONG>(text.find(L"MD5: ") + 5) - 3;
    ::SendMessageW(view, EM_SETSEL, digest, digest + 32);
    ::SetFocus(view);
    // In a corner, away from other windows, for an unobstructed picture.
    ::SetWindowPos(form.Handle(), nullptr, 16, 16, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::UpdateWindow(form.Handle());
    PumpFor(1000);

    ::SetTimer(nullptr, 0, holdMs, &CloseMenu);
    POINT click{180, 70};
    ::ClientToScreen(view, &click);
    ::SendMessageW(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view),
                   MAKELPARAM(click.x, click.y));
    ::SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    FormMain = nullptr;
    return 0;
}
