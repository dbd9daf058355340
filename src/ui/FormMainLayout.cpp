// The window's controls: their table, creation, tab order and anchoring.

#include "FormMain.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <array>

struct ControlDesign {
    TControl TFormMain::*Member;
    const wchar_t* Name;
    TControlKind Kind;
    const wchar_t* Caption;
    int Left, Top, Width, Height;
    unsigned Anchors;
    int TabOrder;  // -1: not in the tab order
    bool Enabled;
    bool Checked;
};

namespace {

constexpr unsigned kLB = akLeft | akBottom;
constexpr unsigned kLRB = akLeft | akRight | akBottom;
constexpr unsigned kRB = akRight | akBottom;
constexpr unsigned kAll = akLeft | akTop | akRight | akBottom;

// In creation order, at 96 pixels per inch.
constexpr std::array<ControlDesign, 24> kControls{{
    {&TFormMain::Lb3, L"Lb3", TControlKind::Label, L"进度：", 14, 273, 36, 13, kLB, -1, true,
     false},
    {&TFormMain::Lb4, L"Lb4", TControlKind::Label, L"比较：", 14, 297, 36, 13, kLB, -1, true,
     false},
    {&TFormMain::Lb1, L"Lb1", TControlKind::Label, L"设置：", 14, 221, 36, 13, kLB, -1, true,
     false},
    {&TFormMain::Lb2, L"Lb2", TControlKind::Label, L"算法：", 14, 245, 36, 13, kLB, -1, true,
     false},
    {&TFormMain::CB_MD5, L"CB_MD5", TControlKind::CheckBox, L"MD5", 56, 243, 38, 17, kLB, 1, true,
     true},
    {&TFormMain::CB_SHA1, L"CB_SHA1", TControlKind::CheckBox, L"SHA1", 128, 243, 42, 17, kLB, 2,
     true, true},
    {&TFormMain::CB_CRC32, L"CB_CRC32", TControlKind::CheckBox, L"CRC32", 272, 243, 50, 17, kLB, 3,
     true, true},
    {&TFormMain::ProgressBar, L"ProgressBar", TControlKind::ProgressBar, L"", 56, 273, 423, 14,
     kLRB, 4, true, false},
    {&TFormMain::Ed_ComText, L"Ed_ComText", TControlKind::Edit, L"", 56, 294, 361, 21, kLRB, 5,
     true, false},
    {&TFormMain::Btn_ComText, L"Btn_ComText", TControlKind::Button, L"查找(&F)", 424, 293, 56, 23,
     kRB, 6, false, false},
    {&TFormMain::Btn_Browse, L"Btn_Browse", TControlKind::Button, L"浏览(&B)...", 14, 326, 69, 23,
     kLB, 7, true, false},
    {&TFormMain::Btn_Clear, L"Btn_Clear", TControlKind::Button, L"清除(&E)", 89, 326, 69, 23, kLB,
     8, false, false},
    {&TFormMain::Btn_Copy, L"Btn_Copy", TControlKind::Button, L"复制(&C)", 164, 326, 69, 23, kLB, 9,
     false, false},
    {&TFormMain::Btn_Save, L"Btn_Save", TControlKind::Button, L"保存(&S)", 239, 326, 69, 23, kLB,
     10, false, false},
    {&TFormMain::Btn_Stop, L"Btn_Stop", TControlKind::Button, L"停止(&A)", 337, 326, 69, 23, kRB,
     11, false, false},
    {&TFormMain::Btn_Exit, L"Btn_Exit", TControlKind::Button, L"退出(&X)", 411, 326, 69, 23, kRB,
     12, true, false},
    {&TFormMain::RichEdit1, L"RichEdit1", TControlKind::RichEdit, L"", 8, 8, 479, 201, kAll, 0,
     false, false},
    {&TFormMain::CB_SHA256, L"CB_SHA256", TControlKind::CheckBox, L"SHA256", 200, 243, 56, 17, kLB,
     13, true, true},
    {&TFormMain::CB_Path, L"CB_Path", TControlKind::CheckBox, L"文件路径", 56, 219, 66, 17, kLB, 14,
     true, true},
    {&TFormMain::CB_Size, L"CB_Size", TControlKind::CheckBox, L"文件大小", 128, 219, 66, 17, kLB,
     15, true, true},
    {&TFormMain::CB_Ver, L"CB_Ver", TControlKind::CheckBox, L"文件版本", 200, 219, 66, 17, kLB, 16,
     true, true},
    {&TFormMain::CB_Time, L"CB_Time", TControlKind::CheckBox, L"修改时间", 272, 219, 66, 17, kLB,
     17, true, true},
    {&TFormMain::CB_CalcTime, L"CB_CalcTime", TControlKind::CheckBox, L"计算时间", 344, 219, 66, 17,
     kLB, 18, true, false},
    {&TFormMain::CB_Upcase, L"CB_Upcase", TControlKind::CheckBox, L"结果大写", 416, 219, 66, 17,
     kLB, 19, true, false},
}};

constexpr int kFirstControlId = 100;

const wchar_t* kPlaceholder = L"\r\r\r\r请拖拽文件或者文件夹到这里进行校验 ...";

struct WindowClassAndStyle {
    const wchar_t* ClassName;
    DWORD Style;
    DWORD ExStyle;
};

WindowClassAndStyle ClassFor(TControlKind kind) {
    switch (kind) {
        case TControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
        case TControlKind::CheckBox:
            return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case TControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case TControlKind::Edit:
            return {L"EDIT", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case TControlKind::ProgressBar:
            return {PROGRESS_CLASSW, 0, 0};
        case TControlKind::RichEdit:
            return {MSFTEDIT_CLASS,
                    ES_MULTILINE | ES_READONLY | ES_DISABLENOSCROLL | WS_VSCROLL | WS_HSCROLL |
                        WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

void ConfigureResultView(HWND view, HFONT font) {
    // The view holds many megabytes of results; the control's default limit
    // is 32K characters.
    ::SendMessageW(view, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // Rich text: a check's verdicts are coloured (CheckViewMarks.h).
    ::SendMessageW(view, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    ::SendMessageW(view, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(view, EM_SETZOOM, 0, 0);
    // Lines wrap at the view's width, although the view shows a horizontal
    // scroll bar.
    ::SendMessageW(view, EM_SETTARGETDEVICE, 0, 0);
    ::SendMessageW(view, EM_SETEVENTMASK, 0, 0);
    ::SendMessageW(view, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPlaceholder));
    SetParagraphAlignment(view, PFA_CENTER);
}

}  // namespace

RECT TFormMain::ScaledBounds(const ControlDesign& design) const {
    return {Scale(design.Left), Scale(design.Top), Scale(design.Left + design.Width),
            Scale(design.Top + design.Height)};
}

void TFormMain::ApplyDpi(int dpi, const RECT& suggested) {
    if (dpi <= 0 || Components.size() != kControls.size()) return;
    dpi_ = dpi;
    designClient_ = {Scale(kDesignClientWidth), Scale(kDesignClientHeight)};
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        Components[i]->Bounds = ScaledBounds(kControls[i]);
    }
    // The controls take the new fonts before the old ones are deleted.
    UniqueGdiObject font(MakeWindowFont(-Scale(11), DEFAULT_CHARSET));
    UniqueGdiObject viewFont(MakeWindowFont(-Scale(11), GB2312_CHARSET));
    if (font && viewFont) {
        ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        for (const TControl* control : Components) {
            const HGDIOBJ its =
                control->Kind == TControlKind::RichEdit ? viewFont.Get() : font.Get();
            ::SendMessageW(control->Handle, WM_SETFONT, reinterpret_cast<WPARAM>(its), TRUE);
        }
        font_ = std::move(font);
        viewFont_ = std::move(viewFont);
    }
    // The rectangle the system suggests for the new resolution; the minimum
    // size applies to it as to every size. Moving the window lays out the
    // controls; laid out again here for a size that does not change.
    ::SetWindowPos(handle_, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(handle_, &client);
    LayoutControls(client.right, client.bottom);
}

void SetParagraphAlignment(HWND view, WORD alignment) {
    PARAFORMAT2 paragraph{};
    paragraph.cbSize = sizeof(paragraph);
    paragraph.dwMask = PFM_ALIGNMENT;
    paragraph.wAlignment = alignment;
    ::SendMessageW(view, EM_SETSEL, 0, -1);
    ::SendMessageW(view, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    ::SendMessageW(view, EM_SETSEL, 0, 0);
}

void TFormMain::CreateControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    std::vector<std::pair<int, HWND>> tabOrder;
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const ControlDesign& design = kControls[i];
        TControl& control = this->*design.Member;
        control.Name = design.Name;
        control.Kind = design.Kind;
        control.Id = kFirstControlId + static_cast<int>(i);
        control.Anchors = design.Anchors;
        control.Bounds = ScaledBounds(design);
        const WindowClassAndStyle cls = ClassFor(design.Kind);
        control.Handle = ::CreateWindowExW(
            cls.ExStyle, cls.ClassName, design.Caption, WS_CHILD | WS_VISIBLE | cls.Style,
            control.Bounds.left, control.Bounds.top, control.Bounds.right - control.Bounds.left,
            control.Bounds.bottom - control.Bounds.top, handle_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id)), instance, nullptr);
        if (!control.Handle) {
            throw AppError(L"Cannot create control " + std::wstring(design.Name));
        }
        if (design.Kind == TControlKind::RichEdit) {
            ConfigureResultView(control.Handle, static_cast<HFONT>(viewFont_.Get()));
        } else {
            ::SendMessageW(control.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()),
                           FALSE);
        }
        if (design.Kind == TControlKind::ProgressBar) {
            ::SendMessageW(control.Handle, PBM_SETRANGE32, 0, 100);
            ::SendMessageW(control.Handle, PBM_SETPOS, 0, 0);
        }
        if (design.Kind == TControlKind::CheckBox) control.SetChecked(design.Checked);
        control.SetEnabled(design.Enabled);
        if (design.TabOrder >= 0) tabOrder.emplace_back(design.TabOrder, control.Handle);
        Components.push_back(&control);
    }
    // Keyboard navigation follows the z-order of the children: put them in
    // tab order.
    std::sort(tabOrder.begin(), tabOrder.end());
    HWND previous = HWND_TOP;
    for (const auto& [order, hwnd] : tabOrder) {
        // A child that keeps its place only changes where Tab goes next.
        ::SetWindowPos(hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = hwnd;
    }
}

void TFormMain::LayoutControls(int clientWidth, int clientHeight) {
    const int dx = clientWidth - designClient_.cx;
    const int dy = clientHeight - designClient_.cy;
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(Components.size()));
    for (const TControl* control : Components) {
        RECT r = control->Bounds;
        if (control->Anchors & akRight) {
            if (!(control->Anchors & akLeft)) r.left += dx;
            r.right += dx;
        }
        if (control->Anchors & akBottom) {
            if (!(control->Anchors & akTop)) r.top += dy;
            r.bottom += dy;
        }
        const int width = std::max(0L, r.right - r.left);
        const int height = std::max(0L, r.bottom - r.top);
        if (batch) {
            batch = ::DeferWindowPos(batch, control->Handle, nullptr, r.left, r.top, width, height,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (batch) ::EndDeferWindowPos(batch);
}
