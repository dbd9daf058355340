#include "ViewFixture.h"

#include <cstring>

namespace {

// The menu loop runs on the test's thread; a thread timer reaches into it.
struct MenuVisit {
    const std::function<bool(HWND)>* WhileOpen = nullptr;
    bool Shown = false;
    int Ticks = 0;
};
MenuVisit* g_menuVisit = nullptr;
constexpr UINT kMenuPollMs = 50;
constexpr int kMenuPollLimit = 200;  // 10 seconds

HWND OpenMenuWindow() {
    const HWND menu = ::FindWindowW(L"#32768", nullptr);
    return menu && ::IsWindowVisible(menu) ? menu : nullptr;
}

void CALLBACK PollMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    MenuVisit* visit = g_menuVisit;
    if (!visit) {
        ::KillTimer(nullptr, timer);
        return;
    }
    if (const HWND menu = OpenMenuWindow()) {
        ::KillTimer(nullptr, timer);
        visit->Shown = true;
        if (!(*visit->WhileOpen)(menu)) ::EndMenu();
    } else if (++visit->Ticks > kMenuPollLimit) {
        ::KillTimer(nullptr, timer);
    }
}

}  // namespace

void ViewFixture::CreateFilledForm(const std::wstring& reportText) {
    CreateForm();
    const HWND view = View();
    // As the first job leaves it.
    form_->ClearResultViewPlaceholder();
    ::EnableWindow(view, TRUE);
    AppendToView(reportText);
    for (const TControl* button :
         {&form_->Btn_ComText, &form_->Btn_Clear, &form_->Btn_Copy, &form_->Btn_Save}) {
        button->SetEnabled(true);
    }
    Pump(20);
}

void ViewFixture::AppendToView(const std::wstring& text) {
    const HWND view = View();
    ::SendMessageW(view, EM_SETSEL, -1, -1);
    ::SendMessageW(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void ViewFixture::Click(const TControl& button) {
    ::SendMessageW(button.Handle, BM_CLICK, 0, 0);
}

bool ViewFixture::WithPopupMenu(const std::function<void()>& open,
                                const std::function<bool(HWND menuWindow)>& whileOpen) {
    MenuVisit visit;
    visit.WhileOpen = &whileOpen;
    g_menuVisit = &visit;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, kMenuPollMs, &PollMenu);
    open();
    // The chosen item arrives as a posted command.
    Pump(100);
    ::KillTimer(nullptr, timer);
    g_menuVisit = nullptr;
    return visit.Shown;
}

void ViewFixture::ChooseMenuItem(wchar_t mnemonic) {
    ::PostMessageW(form_->Handle(), WM_CHAR, mnemonic, 0);
}

void ViewFixture::RightClickView(POINT client) {
    const LPARAM at = MAKELPARAM(client.x, client.y);
    ::SendMessageW(View(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    ::SendMessageW(View(), WM_RBUTTONUP, 0, at);
}

void ViewFixture::PressMenuKey() {
    ::SendMessageW(View(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(View()), MAKELPARAM(-1, -1));
}

UINT ViewFixture::PopupItemState(const TMenuItem& item) const {
    return ::GetMenuState(form_->PopupMenu1.Get(), item.Id, MF_BYCOMMAND) & MF_GRAYED;
}

CHARRANGE ViewFixture::Selection() const {
    CHARRANGE selection{};
    ::SendMessageW(View(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return selection;
}

std::wstring ViewFixture::SelectedText() const {
    const CHARRANGE selection = Selection();
    std::wstring text(static_cast<std::size_t>(selection.cpMax - selection.cpMin) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(View(), EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

bool ViewFixture::ViewIsReadOnly() const {
    return (::GetWindowLongPtrW(View(), GWL_STYLE) & ES_READONLY) != 0;
}

std::wstring ClipboardText(bool* available) {
    std::wstring text;
    if (available) *available = false;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            if (available) *available = true;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void SetClipboardText(const std::wstring& text) {
    if (!::OpenClipboard(nullptr)) return;
    ::EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
        ::GlobalUnlock(memory);
        if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);
    }
    ::CloseClipboard();
}

std::wstring ReportBlock(const std::wstring& name, bool upper) {
    std::wstring md5 = L"9e107d9d372bb6826bd81d3542a419d6";
    std::wstring sha1 = L"2fd4e1c67a2d28fced849ee1bb76e7391b93eb12";
    std::wstring sha256 = L"d7a8fbb307d7809469ca9abcb0082e4f8d5651e46d3cdb762d02d0bf37c9e592";
    std::wstring crc32 = L"414fa339";
    if (upper) {
        for (std::wstring* digest : {&md5, &sha1, &sha256, &crc32}) {
            for (wchar_t& c : *digest) c = static_cast<wchar_t>(::towupper(c));
        }
    }
    return L"文件名称: " + name +
           L"\r\n文件大小: 43 字节 (43 字节)\r\n修改时间: 2024-05-01 12:00:00\r\nMD5: " + md5 +
           L"\r\nSHA1: " + sha1 + L"\r\nSHA256: " + sha256 + L"\r\nCRC32: " + crc32 + L"\r\n";
}
