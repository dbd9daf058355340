// The main window as it stands at start: every control, the result view's
// placeholder, the anchors, the minimum size and a clean close.

#include "FormFixture.h"
#include "ImportHook.h"

#include <windows.h>
#include <richedit.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ExpectedControl {
    TControl TFormMain::*Member;
    const wchar_t* ClassName;
    const wchar_t* Text;
    RECT Bounds;  // left, top, right, bottom at 96 DPI
    bool Enabled;
    int Check;  // -1: not a check box
};

const std::array<ExpectedControl, 24> kExpected{{
    {&TFormMain::Lb3, L"Static", L"进度：", {14, 273, 50, 286}, true, -1},
    {&TFormMain::Lb4, L"Static", L"比较：", {14, 297, 50, 310}, true, -1},
    {&TFormMain::Lb1, L"Static", L"设置：", {14, 221, 50, 234}, true, -1},
    {&TFormMain::Lb2, L"Static", L"算法：", {14, 245, 50, 258}, true, -1},
    {&TFormMain::CB_MD5, L"Button", L"MD5", {56, 243, 94, 260}, true, BST_CHECKED},
    {&TFormMain::CB_SHA1, L"Button", L"SHA1", {128, 243, 170, 260}, true, BST_CHECKED},
    {&TFormMain::CB_CRC32, L"Button", L"CRC32", {272, 243, 322, 260}, true, BST_CHECKED},
    {&TFormMain::ProgressBar, L"msctls_progress32", L"", {56, 273, 479, 287}, true, -1},
    {&TFormMain::Ed_ComText, L"Edit", L"", {56, 294, 417, 315}, true, -1},
    {&TFormMain::Btn_ComText, L"Button", L"查找(&F)", {424, 293, 480, 316}, false, -1},
    {&TFormMain::Btn_Browse, L"Button", L"浏览(&B)...", {14, 326, 83, 349}, true, -1},
    {&TFormMain::Btn_Clear, L"Button", L"清除(&E)", {89, 326, 158, 349}, false, -1},
    {&TFormMain::Btn_Copy, L"Button", L"复制(&C)", {164, 326, 233, 349}, false, -1},
    {&TFormMain::Btn_Save, L"Button", L"保存(&S)", {239, 326, 308, 349}, false, -1},
    {&TFormMain::Btn_Stop, L"Button", L"停止(&A)", {337, 326, 406, 349}, false, -1},
    {&TFormMain::Btn_Exit, L"Button", L"退出(&X)", {411, 326, 480, 349}, true, -1},
    {&TFormMain::RichEdit1, L"RICHEDIT50W", nullptr, {8, 8, 487, 209}, false, -1},
    {&TFormMain::CB_SHA256, L"Button", L"SHA256", {200, 243, 256, 260}, true, BST_CHECKED},
    {&TFormMain::CB_Path, L"Button", L"文件路径", {56, 219, 122, 236}, true, BST_CHECKED},
    {&TFormMain::CB_Size, L"Button", L"文件大小", {128, 219, 194, 236}, true, BST_CHECKED},
    {&TFormMain::CB_Ver, L"Button", L"文件版本", {200, 219, 266, 236}, true, BST_CHECKED},
    {&TFormMain::CB_Time, L"Button", L"修改时间", {272, 219, 338, 236}, true, BST_CHECKED},
    {&TFormMain::CB_CalcTime, L"Button", L"计算时间", {344, 219, 410, 236}, true, BST_UNCHECKED},
    {&TFormMain::CB_Upcase, L"Button", L"结果大写", {416, 219, 482, 236}, true, BST_UNCHECKED},
}};

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

// A white bitmap of the screen's format with a memory DC drawing on it.
class TextCanvas {
  public:
    static constexpr int kWidth = 512;  // wider than the view: its text is centred
    static constexpr int kHeight = 64;
    TextCanvas() {
        const UniqueScreenDc screen(::GetDC(nullptr));
        dc_.Reset(::CreateCompatibleDC(screen.Get()));
        bitmap_.Reset(::CreateCompatibleBitmap(screen.Get(), kWidth, kHeight));
        oldBitmap_ = ::SelectObject(dc_.Get(), bitmap_.Get());
        ::PatBlt(dc_.Get(), 0, 0, kWidth, kHeight, WHITENESS);
    }
    ~TextCanvas() { ::SelectObject(dc_.Get(), oldBitmap_); }
    TextCanvas(const TextCanvas&) = delete;
    TextCanvas& operator=(const TextCanvas&) = delete;

    HDC Dc() const { return dc_.Get(); }
    std::vector<std::uint32_t> Pixels() const {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> pixels(kWidth * kHeight);
        ::SelectObject(dc_.Get(), oldBitmap_);  // GetDIBits wants it unselected
        const int lines = ::GetDIBits(dc_.Get(), static_cast<HBITMAP>(bitmap_.Get()), 0, kHeight,
                                      pixels.data(), &info, DIB_RGB_COLORS);
        ::SelectObject(dc_.Get(), bitmap_.Get());
        EXPECT_EQ(lines, kHeight);
        return pixels;
    }

  private:
    UniqueMemoryDc dc_;
    UniqueGdiObject bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
};

// `text` as the window's controls draw it with `font`.
std::vector<std::uint32_t> DrawnWithFont(HFONT font, const wchar_t* text) {
    TextCanvas canvas;
    const HGDIOBJ old = ::SelectObject(canvas.Dc(), font);
    RECT area{0, 0, TextCanvas::kWidth, TextCanvas::kHeight};
    ::DrawTextW(canvas.Dc(), text, -1, &area, DT_LEFT | DT_TOP | DT_SINGLELINE);
    ::SelectObject(canvas.Dc(), old);
    return canvas.Pixels();
}

// `text` as the result view draws it: its own layout and its own font.
std::vector<std::uint32_t> DrawnByView(HWND view, const wchar_t* text) {
    ::SetWindowTextW(view, text);
    TextCanvas canvas;
    ::SendMessageW(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    return canvas.Pixels();
}

std::wstring RealisedFace(HFONT font) {
    TextCanvas canvas;
    const HGDIOBJ old = ::SelectObject(canvas.Dc(), font);
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(canvas.Dc(), LF_FACESIZE, face);
    ::SelectObject(canvas.Dc(), old);
    return face;
}

// The window's message-filter changes, each as (window, message, action).
struct FilterChange {
    HWND window;
    UINT message;
    DWORD action;
    bool operator==(const FilterChange&) const = default;
    friend void PrintTo(const FilterChange& change, std::ostream* out) {
        *out << "message 0x" << std::hex << change.message << " action " << change.action;
    }
};
std::vector<FilterChange> filterChanges;
ImportHook* procAddressHook = nullptr;

using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
// Looked up before the hook goes in: the hook also serves the test's own
// GetProcAddress.
const auto realChangeFilter = reinterpret_cast<ChangeFilterFn>(reinterpret_cast<void*>(
    ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));

BOOL WINAPI RecordFilterChange(HWND window, UINT message, DWORD action,
                               PCHANGEFILTERSTRUCT status) {
    filterChanges.push_back({window, message, action});
    return realChangeFilter ? realChangeFilter(window, message, action, status) : FALSE;
}

FARPROC WINAPI LookUpRecordingTheFilter(HMODULE module, LPCSTR name) {
    // Names below 0x10000 are ordinals, not strings.
    if (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF &&
        std::strcmp(name, "ChangeWindowMessageFilterEx") == 0) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordFilterChange));
    }
    return procAddressHook->Original<decltype(&::GetProcAddress)>()(module, name);
}

class MainWindowTest : public FormFixture {};

TEST_F(MainWindowTest, EveryControlStandsAsDesigned) {
    CreateForm();
    ASSERT_EQ(form_->Components.size(), kExpected.size());
    for (std::size_t i = 0; i < kExpected.size(); ++i) {
        const ExpectedControl& want = kExpected[i];
        const TControl& control = form_.get()->*want.Member;
        SCOPED_TRACE(testing::Message() << "control " << i);
        EXPECT_EQ(form_->Components[i], &control) << "creation order";
        EXPECT_EQ(_wcsicmp(ClassOf(control.Handle).c_str(), want.ClassName), 0);
        if (want.Text) {
            EXPECT_EQ(control.Caption(), want.Text);
        }
        const RECT r = ClientRectOf(control.Handle);
        EXPECT_EQ(r.left, want.Bounds.left);
        EXPECT_EQ(r.top, want.Bounds.top);
        EXPECT_EQ(r.right, want.Bounds.right);
        EXPECT_EQ(r.bottom, want.Bounds.bottom);
        EXPECT_EQ(control.Enabled(), want.Enabled);
        if (want.Check >= 0) {
            EXPECT_EQ(::SendMessageW(control.Handle, BM_GETCHECK, 0, 0), want.Check);
        }
    }
    EXPECT_EQ(form_->Btn_Stop.Tag, 0);
}

TEST_F(MainWindowTest, CaptionClientSizeAndFonts) {
    CreateForm();
    wchar_t caption[64] = {};
    ::GetWindowTextW(form_->Handle(), caption, 64);
    EXPECT_STREQ(caption, L"Varudodi 1.4.2");
    RECT client{};
    ::GetClientRect(form_->Handle(), &client);
    EXPECT_EQ(client.right, 495);
    EXPECT_EQ(client.bottom, 358);
    EXPECT_TRUE(::GetWindowLongPtrW(form_->Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_TRUE(::GetWindowLongPtrW(form_->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);

    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(form_->Btn_Exit.Handle, WM_GETFONT, 0, 0)),
                 sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    // The view's own font: 11 pixels are 165 twips at 96 DPI.
    CHARFORMAT2W viewFont{};
    viewFont.cbSize = sizeof(viewFont);
    ::SendMessageW(form_->RichEdit1.Handle, EM_GETCHARFORMAT, SCF_DEFAULT,
                   reinterpret_cast<LPARAM>(&viewFont));
    EXPECT_STREQ(viewFont.szFaceName, L"Tahoma");
    EXPECT_NEAR(viewFont.yHeight, 165, 15);
    EXPECT_EQ(viewFont.bCharSet, GB2312_CHARSET);
}

// A missing font shows as clipped captions ("MD5" in another face is wider
// than its check box) or as boxes: two different characters drawn alike are
// the missing glyph's box twice. Pixels are compared as a whole, not printed.
TEST_F(MainWindowTest, CaptionsAndTheViewDrawTheirCharactersInRealGlyphs) {
    CreateForm();
    const auto font =
        reinterpret_cast<HFONT>(::SendMessageW(form_->CB_MD5.Handle, WM_GETFONT, 0, 0));
    EXPECT_EQ(RealisedFace(font), L"Tahoma");
    const auto captionWen = DrawnWithFont(font, L"文");
    EXPECT_TRUE(captionWen != DrawnWithFont(font, L"")) << "a caption's 文 draws nothing";
    EXPECT_TRUE(captionWen != DrawnWithFont(font, L"字")) << "a caption's 文 and 字 draw alike";

    const HWND view = form_->RichEdit1.Handle;
    const auto viewWen = DrawnByView(view, L"文");
    EXPECT_TRUE(viewWen != DrawnByView(view, L"")) << "the view's 文 draws nothing";
    EXPECT_TRUE(viewWen != DrawnByView(view, L"字")) << "the view's 文 and 字 draw alike";
}

// Run as administrator, the window would otherwise never see a drop from
// Explorer; Wine has no such filter, so the calls themselves are checked.
TEST_F(MainWindowTest, DropsGetThroughTheMessageFilterOfAnElevatedWindow) {
    filterChanges.clear();
    {
        ImportHook hook("kernel32.dll", "GetProcAddress",
                        reinterpret_cast<void*>(&LookUpRecordingTheFilter));
        procAddressHook = &hook;
        CreateForm();
        procAddressHook = nullptr;
    }
    const HWND window = form_->Handle();
    const std::vector<FilterChange> expected = {{window, WM_DROPFILES, MSGFLT_ALLOW},
                                                {window, WM_COPYDATA, MSGFLT_ALLOW},
                                                {window, 0x0049, MSGFLT_ALLOW}};
    EXPECT_EQ(filterChanges, expected);
}

TEST_F(MainWindowTest, TabOrderFollowsTheDesign) {
    CreateForm();
    const std::vector<const TControl*> expected = {
        &form_->RichEdit1,   &form_->CB_MD5,     &form_->CB_SHA1,     &form_->CB_CRC32,
        &form_->ProgressBar, &form_->Ed_ComText, &form_->Btn_ComText, &form_->Btn_Browse,
        &form_->Btn_Clear,   &form_->Btn_Copy,   &form_->Btn_Save,    &form_->Btn_Stop,
        &form_->Btn_Exit,    &form_->CB_SHA256,  &form_->CB_Path,     &form_->CB_Size,
        &form_->CB_Ver,      &form_->CB_Time,    &form_->CB_CalcTime, &form_->CB_Upcase,
    };
    std::vector<HWND> zOrder;
    for (HWND child = ::GetWindow(form_->Handle(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        for (const TControl* control : expected) {
            if (control->Handle == child) zOrder.push_back(child);
        }
    }
    ASSERT_EQ(zOrder.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(zOrder[i], expected[i]->Handle) << "position " << i;
    // Labels and the progress bar are never tab stops; the others are.
    EXPECT_FALSE(::GetWindowLongPtrW(form_->Lb1.Handle, GWL_STYLE) & WS_TABSTOP);
    EXPECT_TRUE(::GetWindowLongPtrW(form_->Btn_Exit.Handle, GWL_STYLE) & WS_TABSTOP);
}

TEST_F(MainWindowTest, ResultViewShowsTheCentredPlaceholder) {
    CreateForm();
    HWND view = form_->RichEdit1.Handle;
    EXPECT_EQ(ViewText(), L"\r\n\r\n\r\n\r\n请拖拽文件或者文件夹到这里进行校验 ...");
    EXPECT_FALSE(::IsWindowEnabled(view));
    const LONG_PTR style = ::GetWindowLongPtrW(view, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_FALSE(style & ES_AUTOHSCROLL) << "lines wrap at the view's width";
    EXPECT_TRUE(::GetWindowLongPtrW(view, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    // Rich text inside, for a check's coloured verdicts; no rich text is read
    // or written (copies and saves are plain text, the view takes no input).
    EXPECT_EQ(::SendMessageW(view, EM_GETTEXTMODE, 0, 0) & TM_RICHTEXT, TM_RICHTEXT);
    EXPECT_GT(::SendMessageW(view, EM_GETLIMITTEXT, 0, 0), 64 * 1024 * 1024);
    PARAFORMAT2 paragraph{};
    paragraph.cbSize = sizeof(paragraph);
    ::SendMessageW(view, EM_SETSEL, 20, 20);
    ::SendMessageW(view, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    EXPECT_EQ(paragraph.wAlignment, PFA_CENTER);
}

TEST_F(MainWindowTest, AnchorsKeepDistancesWhenTheWindowGrows) {
    CreateForm();
    const RECT view = ClientRectOf(form_->RichEdit1.Handle);
    const RECT bar = ClientRectOf(form_->ProgressBar.Handle);
    const RECT browse = ClientRectOf(form_->Btn_Browse.Handle);
    const RECT exit = ClientRectOf(form_->Btn_Exit.Handle);
    const RECT label = ClientRectOf(form_->Lb1.Handle);
    ::SetWindowPos(form_->Handle(), nullptr, 0, 0, form_->Width() + 100, form_->Height() + 60,
                   SWP_NOMOVE | SWP_NOZORDER);
    Pump(20);
    const RECT view2 = ClientRectOf(form_->RichEdit1.Handle);
    EXPECT_EQ(view2.left, view.left);
    EXPECT_EQ(view2.top, view.top);
    EXPECT_EQ(view2.right, view.right + 100);
    EXPECT_EQ(view2.bottom, view.bottom + 60);
    const RECT bar2 = ClientRectOf(form_->ProgressBar.Handle);
    EXPECT_EQ(bar2.left, bar.left);
    EXPECT_EQ(bar2.right, bar.right + 100);
    EXPECT_EQ(bar2.top, bar.top + 60);
    const RECT browse2 = ClientRectOf(form_->Btn_Browse.Handle);
    EXPECT_EQ(browse2.left, browse.left);
    EXPECT_EQ(browse2.top, browse.top + 60);
    const RECT exit2 = ClientRectOf(form_->Btn_Exit.Handle);
    EXPECT_EQ(exit2.left, exit.left + 100);
    EXPECT_EQ(exit2.top, exit.top + 60);
    EXPECT_EQ(exit2.right - exit2.left, exit.right - exit.left);
    const RECT label2 = ClientRectOf(form_->Lb1.Handle);
    EXPECT_EQ(label2.top, label.top + 60);
}

TEST_F(MainWindowTest, OuterSizeNeverGoesBelowTheMinimum) {
    CreateForm();
    struct Case {
        int Width, Height, WantWidth, WantHeight;
    };
    const Case cases[] = {
        {300, 200, 511, 397}, {510, 600, 511, 600}, {700, 396, 700, 397},
        {-5, -5, 511, 397},   {640, 480, 640, 480},
    };
    for (const Case& c : cases) {
        ::SetWindowPos(form_->Handle(), nullptr, 0, 0, c.Width, c.Height,
                       SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(form_->Width(), c.WantWidth) << c.Width << "x" << c.Height;
        EXPECT_EQ(form_->Height(), c.WantHeight) << c.Width << "x" << c.Height;
    }
    form_->SetWidth(100);
    EXPECT_EQ(form_->Width(), 511);
    MINMAXINFO info{};
    ::SendMessageW(form_->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 511);
    EXPECT_EQ(info.ptMinTrackSize.y, 397);
}

int ScreenDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

// At 144 pixels per inch every designed length is one and a half times as
// long, a half pixel rounded up.
int At144Dpi(int length) {
    return (length * 3 + 1) / 2;
}

// Run by the ctest entry that sets the screen to 144 DPI first and asks for
// it through VARUDODI_REQUIRE_144DPI; skipped at other resolutions otherwise.
class MainWindowAt144DpiTest : public FormFixture {
  protected:
    void SetUp() override {
        if (ScreenDpi() != 144) {
            if (_wgetenv(L"VARUDODI_REQUIRE_144DPI")) FAIL() << "the screen is not at 144 DPI";
            GTEST_SKIP() << "the screen is not at 144 DPI";
        }
        FormFixture::SetUp();
    }
};

TEST_F(MainWindowAt144DpiTest, EveryControlAndTheClientAreaScaleButNotTheMinimumSize) {
    CreateForm();
    RECT client{};
    ::GetClientRect(form_->Handle(), &client);
    EXPECT_EQ(client.right, At144Dpi(495));
    EXPECT_EQ(client.bottom, At144Dpi(358));
    ASSERT_EQ(form_->Components.size(), kExpected.size());
    for (std::size_t i = 0; i < kExpected.size(); ++i) {
        const ExpectedControl& want = kExpected[i];
        SCOPED_TRACE(testing::Message() << "control " << i);
        const RECT r = ClientRectOf((form_.get()->*want.Member).Handle);
        EXPECT_EQ(r.left, At144Dpi(want.Bounds.left));
        EXPECT_EQ(r.top, At144Dpi(want.Bounds.top));
        EXPECT_EQ(r.right, At144Dpi(want.Bounds.right));
        EXPECT_EQ(r.bottom, At144Dpi(want.Bounds.bottom));
    }
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(form_->Btn_Exit.Handle, WM_GETFONT, 0, 0)),
                 sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -At144Dpi(11));

    // The minimum outer size is the same number of pixels at any resolution.
    ::SetWindowPos(form_->Handle(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(form_->Width(), 511);
    EXPECT_EQ(form_->Height(), 397);
}

// What WM_DPICHANGED brings when the window moves to a monitor of another
// resolution: the system's suggestion keeps the frame and scales the client.
RECT SuggestedRect(HWND window, SIZE client96, int dpi) {
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    return {outer.left, outer.top, outer.left + ::MulDiv(client96.cx, dpi, 96) + frameWidth,
            outer.top + ::MulDiv(client96.cy, dpi, 96) + frameHeight};
}

// A control's rectangle by the scaling rule: the design bounds scaled, then
// moved or stretched by its anchors as far as the client exceeds the design.
RECT ScaledAndAnchored(const RECT& design, unsigned anchors, SIZE client, int dpi) {
    RECT r{::MulDiv(design.left, dpi, 96), ::MulDiv(design.top, dpi, 96),
           ::MulDiv(design.right, dpi, 96), ::MulDiv(design.bottom, dpi, 96)};
    const int dx = client.cx - ::MulDiv(495, dpi, 96);
    const int dy = client.cy - ::MulDiv(358, dpi, 96);
    if (anchors & akRight) {
        if (!(anchors & akLeft)) r.left += dx;
        r.right += dx;
    }
    if (anchors & akBottom) {
        if (!(anchors & akTop)) r.top += dy;
        r.bottom += dy;
    }
    return r;
}

TEST_F(MainWindowTest, AChangeOfResolutionScalesEveryControlAndFontAndComesBackExactly) {
    CreateForm();
    const HWND window = form_->Handle();
    // A size above the minimum, which no resolution's suggestion then raises.
    const SIZE client96{600, 450};
    RECT outer96 = SuggestedRect(window, client96, 96);
    ::SetWindowPos(window, nullptr, outer96.left, outer96.top, outer96.right - outer96.left,
                   outer96.bottom - outer96.top, SWP_NOZORDER);
    std::vector<RECT> layout96;
    for (const TControl* control : form_->Components)
        layout96.push_back(ClientRectOf(control->Handle));

    for (const int dpi : {144, 96, 120, 96}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        RECT suggested = SuggestedRect(window, client96, dpi);
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
        RECT outer{}, client{};
        ::GetWindowRect(window, &outer);
        ::GetClientRect(window, &client);
        EXPECT_EQ(outer.left, suggested.left);
        EXPECT_EQ(outer.top, suggested.top);
        EXPECT_EQ(outer.right, suggested.right);
        EXPECT_EQ(outer.bottom, suggested.bottom);
        const SIZE clientSize{client.right, client.bottom};
        EXPECT_EQ(clientSize.cx, ::MulDiv(client96.cx, dpi, 96));
        EXPECT_EQ(clientSize.cy, ::MulDiv(client96.cy, dpi, 96));
        for (std::size_t i = 0; i < kExpected.size(); ++i) {
            const ExpectedControl& want = kExpected[i];
            const TControl& control = form_.get()->*want.Member;
            SCOPED_TRACE(testing::Message() << "control " << i);
            const RECT r = ClientRectOf(control.Handle);
            const RECT rule = ScaledAndAnchored(want.Bounds, control.Anchors, clientSize, dpi);
            EXPECT_EQ(r.left, rule.left);
            EXPECT_EQ(r.top, rule.top);
            EXPECT_EQ(r.right, rule.right);
            EXPECT_EQ(r.bottom, rule.bottom);
            if (dpi == 96) {
                EXPECT_TRUE(::EqualRect(&r, &layout96[i])) << "back to the layout at 96 DPI";
            }
            if (control.Kind == TControlKind::RichEdit) {
                CHARFORMAT2W viewFont{};
                viewFont.cbSize = sizeof(viewFont);
                ::SendMessageW(control.Handle, EM_GETCHARFORMAT, SCF_DEFAULT,
                               reinterpret_cast<LPARAM>(&viewFont));
                EXPECT_NEAR(viewFont.yHeight, ::MulDiv(11, dpi, 96) * 15, 15);
                EXPECT_EQ(viewFont.bCharSet, GB2312_CHARSET);
                continue;
            }
            LOGFONTW font{};
            ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control.Handle, WM_GETFONT, 0, 0)),
                         sizeof(font), &font);
            EXPECT_EQ(font.lfHeight, -::MulDiv(11, dpi, 96));
            EXPECT_STREQ(font.lfFaceName, L"Tahoma");
        }
    }
    // The minimum size is not scaled.
    ::SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(form_->Width(), 511);
    EXPECT_EQ(form_->Height(), 397);
}

TEST_F(MainWindowTest, FormCanResizeRaisesOnlyWhatIsTooSmall) {
    TFormMain form;
    struct Case {
        int Width, Height, WantWidth, WantHeight;
    };
    const Case cases[] = {{0, 0, 511, 397},
                          {511, 397, 511, 397},
                          {-2147483647 - 1, 1000, 511, 1000},
                          {2000, 396, 2000, 397}};
    for (const Case& c : cases) {
        int width = c.Width, height = c.Height;
        bool resize = true;
        form.FormCanResize(width, height, resize);
        EXPECT_EQ(width, c.WantWidth);
        EXPECT_EQ(height, c.WantHeight);
        EXPECT_TRUE(resize);
    }
}

TEST_F(MainWindowTest, WindowIsCentredAndOwnsItsTaskbarButton) {
    CreateForm();
    RECT r{};
    ::GetWindowRect(form_->Handle(), &r);
    EXPECT_NEAR((r.left + r.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(::GetWindow(form_->Handle(), GW_OWNER), nullptr);
    EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
    EXPECT_NE(::GetClassLongPtrW(form_->Handle(), GCLP_HICON), 0) << "MAINICON";
}

TEST_F(MainWindowTest, CloseDestroysTheWindowAndAsksTheLoopToEnd) {
    CreateForm();
    HWND hwnd = form_->Handle();
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u) << "exit code";
}

}  // namespace
