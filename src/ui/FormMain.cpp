// The main window's creation, message dispatch and window properties.

#include "FormMain.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>

#include "ChecksumVerify.h"
#include "IntakeScans.h"
#include "JobWindow.h"
#include "LocaleSettings.h"
#include "SystemMenuWin32.h"
#include "UiCallQueue.h"
#include "Utf8Text.h"

TFormMain* FormMain = nullptr;
ComPtr<ITaskbarList4> MainUnit::TaskbarList;

namespace {

constexpr const wchar_t* kWindowClass = L"TFormMain";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

int ScreenDpi() {
    const UniqueScreenDc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

}  // namespace

HFONT MakeWindowFont(int height, BYTE charset) {
    return ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

bool TControl::Checked() const {
    return ::SendMessageW(Handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TControl::SetChecked(bool checked) const {
    ::SendMessageW(Handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::wstring TControl::Caption() const {
    const int length = ::GetWindowTextLengthW(Handle);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = ::GetWindowTextW(Handle, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void TControl::SetCaption(const std::wstring& text) const {
    // A button or the window takes any caption; only a bad handle fails.
    ::SetWindowTextW(Handle, text.c_str());
}

TFormMain::TFormMain() = default;

TFormMain::~TFormMain() {
    if (handle_) ::DestroyWindow(handle_);
}

void TFormMain::Create(const std::vector<std::wstring>& arguments, int showCommand) {
    Arguments = arguments;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    richEditLibrary_.Reset(::LoadLibraryW(L"msftedit.dll"));

    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = &TFormMain::WindowProc;
    cls.hInstance = instance;
    cls.hIcon =
        static_cast<HICON>(::LoadImageW(instance, L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    cls.hIconSm = static_cast<HICON>(::LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), 0));
    cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    cls.lpszClassName = kWindowClass;
    if (!::GetClassInfoExW(instance, kWindowClass, &cls) && !::RegisterClassExW(&cls)) {
        throw AppError(L"Cannot register the main window class");
    }

    dpi_ = ScreenDpi();
    designClient_ = {Scale(kDesignClientWidth), Scale(kDesignClientHeight)};
    RECT outer{0, 0, designClient_.cx, designClient_.cy};
    // Fails only for styles it does not know; the outer size is then the
    // client size, which the minimum-size rule corrects.
    ::AdjustWindowRectEx(&outer, kWindowStyle, FALSE, kWindowExStyle);

    font_.Reset(MakeWindowFont(-Scale(11), DEFAULT_CHARSET));
    viewFont_.Reset(MakeWindowFont(-Scale(11), GB2312_CHARSET));

    handle_ = ::CreateWindowExW(kWindowExStyle, kWindowClass, L"", kWindowStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                nullptr, nullptr, instance, this);
    if (!handle_) throw AppError(L"Cannot create the main window");
    ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    CreateControls();
    RECT client{};
    // The rectangle calls below fail only for a handle that is no window,
    // and handle_ was checked just above.
    ::GetClientRect(handle_, &client);
    LayoutControls(client.right, client.bottom);

    FormCreate();

    // Centred on the screen when first shown, with the size the settings gave it.
    RECT bounds{};
    ::GetWindowRect(handle_, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    // Left where the system put it, the window is only off centre.
    ::SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (pendingState_ == TWindowState::wsMaximized) showCommand = SW_SHOWMAXIMIZED;
    shown_ = true;
    ::ShowWindow(handle_, showCommand);  // returns the previous visibility
    ::UpdateWindow(handle_);             // a window not yet painted is painted by the loop
}

LRESULT CALLBACK TFormMain::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<TFormMain*>(create->lpCreateParams);
        form->handle_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TFormMain*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return form->HandleMessage(msg, wParam, lParam);
    } catch (const std::exception& error) {
        // An error escaping an event handler ends that handler only.
        form->ShowException(error);
        return 0;
    }
}

void TFormMain::ShowException(const std::exception& error) const {
    const auto* appError = dynamic_cast<const AppError*>(&error);
    const std::wstring text =
        appError ? std::wstring(appError->Message()) : Utf8ToWide(error.what());
    ::MessageBoxW(handle_, text.c_str(), kAppTitle, MB_ICONERROR | MB_OK);
}

LRESULT TFormMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            // Every click and menu command sees the whole report.
            if (HIWORD(wParam) == BN_CLICKED || lParam == 0) FlushResults();
            if (HandleCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
            break;
        case WM_CONTEXTMENU: {
            FlushResults();
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (reinterpret_cast<HWND>(wParam) == RichEdit1.Handle || OverPlaceholderView(at)) {
                RichEdit1ContextPopup(at);
                return 0;
            }
            break;
        }
        case WM_DROPFILES:
            WMDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_SYSCOMMAND:
            WMSysCommand(wParam);
            break;  // always on to the standard handling
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            int width = info->ptMinTrackSize.x;
            int height = info->ptMinTrackSize.y;
            bool resize = true;
            FormCanResize(width, height, resize);
            info->ptMinTrackSize = {width, height};
            return 0;
        }
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(pos->flags & SWP_NOSIZE) && !::IsIconic(handle_)) {
                int width = pos->cx;
                int height = pos->cy;
                bool resize = true;
                FormCanResize(width, height, resize);
                pos->cx = width;
                pos->cy = height;
            }
            break;
        }
        case WM_DPICHANGED:
            // Moved to a monitor of another resolution: laid out anew for it.
            if (lParam) ApplyDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED && !Components.empty())
                LayoutControls(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_APP_UICALLS:
            if (uiCalls_) uiCalls_->RunPending(kUiCallsSlice);
            if (jobPaint_.Due()) PaintJobChanges();
            return 0;
        case WM_APP_FLUSHRESULTS:
            FlushResultsPiece();
            return 0;
        case WM_APP_HANDOVERS:
            QueueHandOvers();
            return 0;
        case WM_COPYDATA:
            return lParam && TakeHandOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE
                                                                                            : FALSE;
        case WM_TIMER:
            if (wParam == kBurstTimer) {
                EndCollecting();
                return 0;
            }
            if (wParam == kJobPaintTimer) {
                PaintJobChanges();
                return 0;
            }
            break;
        case WM_SETTINGCHANGE:
            if (lParam && IsRegionalSettingsChange(reinterpret_cast<const wchar_t*>(lParam))) {
                RefreshLocaleSettings();
            }
            break;
        case WM_CLOSE:
            // A window about to close takes no more hand-overs.
            EndCollecting();
            // While an intake scans folders the close waits for its end.
            if (IntakeScans().DeferClose()) return 0;
            // A close request that arrives while the first one still waits
            // for the job is absorbed.
            if (closing_) return 0;
            // The session's end is waiting for the job with the queue in use:
            // the close follows it.
            if (endingSession_) {
                closeAfterSessionEnd_ = true;
                return 0;
            }
            closing_ = true;
            FormClose();
            ::DestroyWindow(handle_);
            return 0;
        case WM_QUERYENDSESSION:
            // The session may end; the work is done once it does.
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) EndSession();
            return 0;
        case WM_DESTROY:
            EndCollecting();
            ::SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
            handle_ = nullptr;
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(handle_, msg, wParam, lParam);
}

bool TFormMain::HandleCommand(int id, int notification) {
    struct Route {
        const TControl* Control;
        void (TFormMain::*Handler)();
    };
    const Route buttons[] = {
        {&Btn_ComText, &TFormMain::Btn_ComTextClick}, {&Btn_Browse, &TFormMain::Btn_BrowseClick},
        {&Btn_Clear, &TFormMain::Btn_ClearClick},     {&Btn_Copy, &TFormMain::Btn_CopyClick},
        {&Btn_Save, &TFormMain::Btn_SaveClick},       {&Btn_Stop, &TFormMain::Btn_StopClick},
        {&Btn_Exit, &TFormMain::Btn_ExitClick},
    };
    if (notification == BN_CLICKED) {
        for (const Route& route : buttons) {
            if (route.Control->Id == id) {
                (this->*route.Handler)();
                return true;
            }
        }
    }
    struct MenuRoute {
        const TMenuItem* Item;
        void (TFormMain::*Handler)();
    };
    const MenuRoute items[] = {
        {&Pop_Copy, &TFormMain::Pop_CopyClick},
        {&Pop_Clear, &TFormMain::Pop_ClearClick},
        {&Pop_All, &TFormMain::Pop_AllClick},
        {&Pop_Verify, &TFormMain::Pop_VerifyClick},
    };
    for (const MenuRoute& route : items) {
        if (route.Item->Id != 0 && static_cast<int>(route.Item->Id) == id) {
            (this->*route.Handler)();
            return true;
        }
    }
    return false;
}

void TFormMain::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the message loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!handle_ || !::IsDialogMessageW(handle_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // A wake-up message may still be on its way; run what is queued now.
    if (uiCalls_) uiCalls_->RunPending();
}

// The window's own rectangle and size: these calls fail only for a handle
// that is no window. A size the system refuses leaves the window as it was,
// which the settings then read back.
int TFormMain::Width() const {
    RECT r{};
    ::GetWindowRect(handle_, &r);
    return r.right - r.left;
}

int TFormMain::Height() const {
    RECT r{};
    ::GetWindowRect(handle_, &r);
    return r.bottom - r.top;
}

void TFormMain::SetWidth(int width) {
    ::SetWindowPos(handle_, nullptr, 0, 0, width, Height(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormMain::SetHeight(int height) {
    ::SetWindowPos(handle_, nullptr, 0, 0, Width(), height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TWindowState TFormMain::WindowState() const {
    if (!shown_) return pendingState_;
    if (::IsZoomed(handle_)) return TWindowState::wsMaximized;
    if (::IsIconic(handle_)) return TWindowState::wsMinimized;
    return TWindowState::wsNormal;
}

void TFormMain::SetWindowState(TWindowState state) {
    if (!shown_) {
        // Takes effect when the window is first shown.
        pendingState_ = state;
        return;
    }
    const int command = state == TWindowState::wsMaximized   ? SW_MAXIMIZE
                        : state == TWindowState::wsMinimized ? SW_MINIMIZE
                                                             : SW_RESTORE;
    ::ShowWindow(handle_, command);  // returns the previous visibility
}

void TFormMain::SetStayOnTop(bool onTop) {
    ApplyStayOnTop(handle_, onTop);
}

LONG ViewTextLength(HWND view, DWORD flags) {
    GETTEXTLENGTHEX query{};
    query.flags = flags;
    query.codepage = 1200;  // UTF-16
    const LRESULT length =
        ::SendMessageW(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    return length > 0 ? static_cast<LONG>(length) : 0;
}
