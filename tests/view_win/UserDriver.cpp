#include "UserDriver.h"

namespace {

struct DialogSearch {
    HWND Owner;
    HWND Found;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    if (::GetWindow(hwnd, GW_OWNER) == search->Owner && ::IsWindowVisible(hwnd) &&
        ClassOf(hwnd) == L"#32770") {
        search->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The message box's text control and icon control.
constexpr int kMessageTextId = 0xFFFF;
constexpr int kMessageIconId = 0x0440;

BOOL CALLBACK CollectButton(HWND child, LPARAM context) {
    auto* buttons = reinterpret_cast<std::vector<int>*>(context);
    if (ClassOf(child) == L"Button" && ::IsWindowVisible(child))
        buttons->push_back(::GetDlgCtrlID(child));
    return TRUE;
}

// Controls of the common file dialog.
constexpr int kFileNameCombo = 0x047C;  // cmb13
constexpr int kFileNameEdit = 0x0480;   // edt1
constexpr int kFileTypeCombo = 0x0470;  // cmb1
constexpr int kReadOnlyBox = 0x0410;    // chx1
constexpr int kLookInCombo = 0x0471;    // cmb2, classic dialogs only

BOOL CALLBACK FindEdit(HWND child, LPARAM context) {
    if (ClassOf(child) == L"Edit") {
        *reinterpret_cast<HWND*>(context) = child;
        return FALSE;
    }
    return TRUE;
}

HWND FileNameBox(HWND dialog) {
    const HWND combo = ::GetDlgItem(dialog, kFileNameCombo);
    if (!combo) return ::GetDlgItem(dialog, kFileNameEdit);
    if (ClassOf(combo) == L"Edit") return combo;
    HWND edit = nullptr;
    ::EnumChildWindows(combo, &FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    ::GetClassNameW(hwnd, name, 128);
    return name;
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    do {
        DialogSearch search{owner, nullptr};
        ::EnumWindows(&FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
        if (search.Found) return search.Found;
        ::Sleep(20);
    } while (::GetTickCount64() < deadline);
    return nullptr;
}

bool WaitUntilClosed(HWND dialog, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::IsWindow(dialog) && ::IsWindowVisible(dialog)) {
        if (::GetTickCount64() > deadline) return false;
        ::Sleep(20);
    }
    return true;
}

SeenMessageBox ReadMessageBox(HWND box) {
    SeenMessageBox seen;
    seen.Caption = WindowText(box);
    seen.Text = WindowText(::GetDlgItem(box, kMessageTextId));
    seen.Icon =
        reinterpret_cast<HICON>(::SendDlgItemMessageW(box, kMessageIconId, STM_GETICON, 0, 0));
    ::EnumChildWindows(box, &CollectButton, reinterpret_cast<LPARAM>(&seen.Buttons));
    return seen;
}

void PressButton(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

SeenMessageBox AnswerMessageBox(HWND owner, const std::function<void()>& command, DWORD timeoutMs) {
    SeenMessageBox seen;
    BackgroundUser user([&] {
        const HWND box = WaitForOwnedDialog(owner, timeoutMs);
        if (!box) return;
        seen = ReadMessageBox(box);
        PressButton(box, IDOK);
        WaitUntilClosed(box);
    });
    command();
    user.Join();
    return seen;
}

SeenSaveDialog ReadSaveDialog(HWND dialog) {
    SeenSaveDialog seen;
    seen.FileName = WindowText(FileNameBox(dialog));
    const HWND types = ::GetDlgItem(dialog, kFileTypeCombo);
    const int count = static_cast<int>(::SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring item(
            static_cast<std::size_t>(::SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(static_cast<std::size_t>(
            ::SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        seen.Types.push_back(item);
    }
    seen.TypeIndex = static_cast<int>(::SendMessageW(types, CB_GETCURSEL, 0, 0));
    const HWND readOnly = ::GetDlgItem(dialog, kReadOnlyBox);
    seen.ReadOnlyBoxVisible = readOnly && ::IsWindowVisible(readOnly);
    seen.Resizable = (::GetWindowLongPtrW(dialog, GWL_STYLE) & WS_THICKFRAME) != 0;
    return seen;
}

bool IsClassicFileDialog(HWND dialog) {
    return ::GetDlgItem(dialog, kLookInCombo) != nullptr;
}

void TypeFileName(HWND dialog, const std::wstring& name) {
    ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void ChooseFileType(HWND dialog, int index) {
    const HWND types = ::GetDlgItem(dialog, kFileTypeCombo);
    ::SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // A choice from the drop-down list notifies both.
    for (const WORD notification : {CBN_SELCHANGE, CBN_SELENDOK}) {
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, notification),
                       reinterpret_cast<LPARAM>(types));
    }
}
