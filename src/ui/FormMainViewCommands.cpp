// The commands on the result view: find, copy all, save, clear, and the
// view's popup menu with copy, delete and select all.

#include "FormMain.h"

// These need the declarations of <windows.h>, which FormMain.h brings.
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ChecksumListSave.h"
#include "ChunkedWrite.h"
#include "ViewLines.h"
#include "Win32Check.h"

namespace {

constexpr UINT kPopCopyId = 200;
constexpr UINT kPopClearId = 201;
constexpr UINT kN2Id = 202;
constexpr UINT kPopAllId = 203;
constexpr UINT kN3Id = 204;
constexpr UINT kPopVerifyId = 205;

constexpr const wchar_t* kSaveDefaultExt = L"txt";
constexpr const wchar_t* kSaveInitialName = L"Hash校验结果";
// Text is converted and written a piece at a time, so that even a view of
// many megabytes needs no second full copy in the ANSI code page.
constexpr std::size_t kSavePieceChars = 1 << 20;
constexpr std::size_t kWriteChunkBytes = 1 << 20;

// At most `length` characters of the view's text as it stores it (one CR per
// line break): all of it or the selection, as `flags` asks (GT_*).
std::wstring ViewTextPart(HWND view, LONG length, DWORD flags) {
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GETTEXTEX request{};
    request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    request.flags = flags;
    request.codepage = 1200;
    const LRESULT copied = ::SendMessageW(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                          reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

// The view's whole text.
std::wstring ViewText(HWND view) {
    return ViewTextPart(view, ViewTextLength(view, GTL_NUMCHARS | GTL_PRECISE), GT_DEFAULT);
}

CHARRANGE ViewSelection(HWND view) {
    CHARRANGE selection{};
    ::SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return selection;
}

// The selected text, without the view's marks.
std::wstring ViewSelectedText(HWND view) {
    const CHARRANGE selection = ViewSelection(view);
    return ViewTextPart(view, selection.cpMax - selection.cpMin, GT_SELECTION);
}

// ---- Clipboard -------------------------------------------------------------

[[noreturn]] void ThrowClipboardError(DWORD code) {
    throw AppError(code, L"Cannot open clipboard: ");
}

// Another program may hold the clipboard open for a moment (a clipboard
// manager, a remote session copying it across): a few tries over about half
// a second before the failure is shown.
constexpr int kClipboardTries = 10;
constexpr DWORD kClipboardRetryMs = 50;

// The clipboard, open for the owner window while this lives.
class OpenedClipboard {
  public:
    explicit OpenedClipboard(HWND owner) {
        for (int tries = 1; !::OpenClipboard(owner); ++tries) {
            const DWORD code = ::GetLastError();
            if (tries == kClipboardTries) ThrowClipboardError(code);
            ::Sleep(kClipboardRetryMs);
        }
    }
    ~OpenedClipboard() { ::CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

void PutUnicodeTextOnClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) throw std::bad_alloc();
    void* target = ::GlobalLock(memory.Get());
    if (!target) throw std::bad_alloc();
    std::memcpy(target, text.c_str(), bytes);
    ::GlobalUnlock(memory.Get());  // FALSE once unlocked: no failure

    OpenedClipboard clipboard(owner);
    if (!::EmptyClipboard()) ThrowClipboardError(::GetLastError());
    if (!::SetClipboardData(CF_UNICODETEXT, memory.Get())) ThrowClipboardError(::GetLastError());
    memory.Release();  // the clipboard owns it now
}

// ---- Save ------------------------------------------------------------------

// The save dialog's settings before its first use; later uses start from
// the name and file type chosen last.
void PrepareSaveDialog(TFileDialog& dialog) {
    if (!dialog.Filter.empty()) return;
    dialog.Filter = kSaveDialogFilter;
    dialog.DefaultExt = kSaveDefaultExt;
    dialog.FileName = kSaveInitialName;
    dialog.FilterIndex = 1;
}

// UTF-16 to the system's ANSI code page; characters the code page lacks
// become its default character.
std::string ToAnsiCodePage(std::wstring_view text) {
    if (text.empty()) return {};
    const int wideLength = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) throw std::bad_alloc();
    std::string bytes(static_cast<std::size_t>(length), '\0');
    // The same conversion into the size it just reported cannot fail.
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, bytes.data(), length, nullptr,
                          nullptr);
    return bytes;
}

// Writes the text to the open file in the ANSI code page, without a
// byte-order mark. False when a write fails; what was written stays.
bool WriteAnsiText(HANDLE file, std::wstring_view text) {
    const ByteSink sink = [file](const char* data, std::size_t size) -> std::size_t {
        DWORD written = 0;
        if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) return 0;
        return written;
    };
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = TextPieceEnd(text, pos, kSavePieceChars);
        if (!WriteAllBytes(ToAnsiCodePage(text.substr(pos, end - pos)), kWriteChunkBytes, sink))
            return false;
        pos = end;
    }
    return true;
}

// Writes the view's blocks with a digest of `algorithm` as a checksum list;
// when there are none, says so and creates no file.
void SaveChecksumList(HWND owner, HWND view, const std::wstring& path,
                      ChecksumAlgorithm algorithm) {
    const SavedChecksumList list = ChecksumListFromReport(ViewText(view), algorithm, path);
    if (list.Entries == 0) {
        ::MessageBoxW(owner, NoDigestsToSaveMessage(algorithm).c_str(), L"提示",
                      MB_ICONINFORMATION | MB_OK);
        return;
    }
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ThrowLastError(L"Cannot create file \"" + path + L"\". ");
    }
    const ByteSink sink = [handle = file.Get()](const char* data, std::size_t size) -> std::size_t {
        DWORD written = 0;
        if (!::WriteFile(handle, data, static_cast<DWORD>(size), &written, nullptr)) return 0;
        return written;
    };
    if (!WriteAllBytes(list.Bytes, kWriteChunkBytes, sink))
        throw AppError(L"Failed to Save Stream");
}

// ---- Popup menu ------------------------------------------------------------

// Builds PopupMenu1 and numbers its items the first time the menu is needed.
HMENU EnsurePopupMenu(TFormMain& form) {
    if (form.PopupMenu1) return form.PopupMenu1.Get();
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) ThrowLastError(L"Cannot create the popup menu: ");
    form.Pop_Copy = {kPopCopyId, L"复制(&C)"};
    form.Pop_Clear = {kPopClearId, L"删除(&D)"};
    form.N2 = {kN2Id, L"-"};
    form.Pop_All = {kPopAllId, L"全选(&S)"};
    form.N3 = {kN3Id, L"-"};
    form.Pop_Verify = {kPopVerifyId, L"校验哈希文件(&V)..."};
    for (const TMenuItem* item :
         {&form.Pop_Copy, &form.Pop_Clear, &form.N2, &form.Pop_All, &form.N3, &form.Pop_Verify}) {
        const bool separator = std::wcscmp(item->Caption, L"-") == 0;
        if (!::AppendMenuW(menu.Get(), separator ? MF_SEPARATOR : MF_STRING, item->Id,
                           separator ? nullptr : item->Caption)) {
            ThrowLastError(L"Cannot create the popup menu: ");
        }
    }
    form.PopupMenu1 = std::move(menu);
    return form.PopupMenu1.Get();
}

// Where the menu key opens the popup: at the caret when it is in sight,
// else at the view's top-left corner. Screen coordinates.
POINT KeyboardPopupPoint(HWND view) {
    POINTL caret{};
    ::SendMessageW(view, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&caret),
                   ViewSelection(view).cpMax);
    RECT client{};
    // These two fail only for a handle that is no window.
    ::GetClientRect(view, &client);
    POINT point{caret.x, caret.y};
    if (!::PtInRect(&client, point)) point = {0, 0};
    ::ClientToScreen(view, &point);
    return point;
}

// The view's own copy (its keys, WM_COPY) would put its marks on the
// clipboard as rich text; the popup's plain copy runs instead.
LRESULT CALLBACK PlainCopyView(HWND view, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR form) {
    // A subclass leaves before its window is gone; the call fails only
    // for a subclass that is not installed.
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(view, &PlainCopyView, 0);
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool copyKey = message == WM_KEYDOWN && control && ::GetKeyState(VK_SHIFT) >= 0 &&
                         (wParam == 'C' || wParam == VK_INSERT);
    if (message != WM_COPY && !copyKey) return ::DefSubclassProc(view, message, wParam, lParam);
    auto& window = *reinterpret_cast<TFormMain*>(form);
    try {
        window.Pop_CopyClick();
    } catch (const std::exception& error) {
        // The view's procedure is no event handler of the window: shown here.
        window.ShowException(error);
    }
    return 0;
}

// Lifts the view's read-only state while this lives.
class WritableView {
  public:
    explicit WritableView(HWND view) : view_(view) {
        ::SendMessageW(view_, EM_SETREADONLY, FALSE, 0);
    }
    ~WritableView() { ::SendMessageW(view_, EM_SETREADONLY, TRUE, 0); }
    WritableView(const WritableView&) = delete;
    WritableView& operator=(const WritableView&) = delete;

  private:
    HWND view_;
};

}  // namespace

void TFormMain::KeepViewCopiesPlain() {
    if (!::SetWindowSubclass(RichEdit1.Handle, &PlainCopyView, 0,
                             reinterpret_cast<DWORD_PTR>(this))) {
        throw AppError(L"Cannot subclass the result view");
    }
}

void TFormMain::Btn_ComTextClick() {
    const std::wstring compare = Ed_ComText.Caption();
    const HWND view = RichEdit1.Handle;
    // The range runs to the length with two characters per line break, at or
    // beyond the end of the text, so the whole text is searched.
    FINDTEXTEXW find{};
    find.chrg.cpMin = 0;
    find.chrg.cpMax = ViewTextLength(view, GTL_NUMCHARS | GTL_PRECISE | GTL_USECRLF);
    find.lpstrText = compare.c_str();
    const LRESULT found =
        ::SendMessageW(view, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    if (found < 0) {
        ::MessageBoxW(handle_, L"没有匹配的值！", L"提示", MB_ICONINFORMATION | MB_OK);
        return;
    }
    CHARRANGE match{};
    match.cpMin = static_cast<LONG>(found);
    match.cpMax = static_cast<LONG>(found + static_cast<LRESULT>(ViewCharCount(compare)));
    ::SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&match));
    ::SendMessageW(view, EM_SCROLLCARET, 0, 0);
    ::SetFocus(view);  // returns the previous focus, not a failure
}

void TFormMain::Btn_CopyClick() {
    PutUnicodeTextOnClipboard(handle_, CopyAllText(ViewText(RichEdit1.Handle)));
}

void TFormMain::Btn_SaveClick() {
    PrepareSaveDialog(SaveDialog1);
    if (!ExecuteSaveDialog(handle_, SaveDialog1)) return;
    const std::wstring path = SaveDialog1.FileName;
    if (const auto algorithm = ListAlgorithmOfSaveType(SaveDialog1.FilterIndex)) {
        SaveChecksumList(handle_, RichEdit1.Handle, path, *algorithm);
        return;
    }
    const std::wstring text = WithCrLfLineBreaks(ViewText(RichEdit1.Handle));
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ThrowLastError(L"Cannot create file \"" + path + L"\". ");
    }
    if (!WriteAnsiText(file.Get(), text)) throw AppError(L"Failed to Save Stream");
}

void TFormMain::Btn_ClearClick() {
    // Emptying a rich edit cannot run out of room; only a bad handle fails.
    ::SetWindowTextW(RichEdit1.Handle, L"");
    Btn_Clear.SetEnabled(false);
    Btn_Copy.SetEnabled(false);
    Btn_Save.SetEnabled(false);
}

void TFormMain::RichEdit1ContextPopup(POINT screenPoint) {
    const HMENU menu = EnsurePopupMenu(*this);
    const HWND view = RichEdit1.Handle;
    const CHARRANGE selection = ViewSelection(view);
    const UINT state = MF_BYCOMMAND | (selection.cpMax != selection.cpMin ? MF_ENABLED : MF_GRAYED);
    // EnableMenuItem returns the item's previous state (-1 for an item the
    // menu lacks, which EnsurePopupMenu rules out).
    ::EnableMenuItem(menu, Pop_Copy.Id, state);
    ::EnableMenuItem(menu, Pop_Clear.Id, state);
    // One job at a time: a check waits until the running job has ended.
    ::EnableMenuItem(menu, Pop_Verify.Id, MF_BYCOMMAND | (CanStartJob() ? MF_ENABLED : MF_GRAYED));
    // The menu key sends (-1, -1) instead of a mouse position.
    if (screenPoint.x == -1 && screenPoint.y == -1) screenPoint = KeyboardPopupPoint(view);
    // The chosen item arrives as WM_COMMAND with its id; a menu that cannot
    // be shown leaves the user where the click found them.
    ::TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPoint.x,
                       screenPoint.y, handle_, nullptr);
}

void TFormMain::Pop_CopyClick() {
    // Plain text, as the view's own copy would not give it: a check's colours
    // are for the view only.
    PutUnicodeTextOnClipboard(handle_, WithCrLfLineBreaks(ViewSelectedText(RichEdit1.Handle)));
}

void TFormMain::Pop_ClearClick() {
    const WritableView writable(RichEdit1.Handle);
    ::SendMessageW(RichEdit1.Handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void TFormMain::Pop_AllClick() {
    ::SendMessageW(RichEdit1.Handle, EM_SETSEL, 0, -1);
}
