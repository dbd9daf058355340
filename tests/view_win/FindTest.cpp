// Finding a pasted checksum in the result view.

#include "ViewFixture.h"  // first: it brings <windows.h>

#include <string>

#include "UserDriver.h"

namespace {

const std::wstring kMd5Lower = L"9e107d9d372bb6826bd81d3542a419d6";
const std::wstring kMd5Upper = L"9E107D9D372BB6826BD81D3542A419D6";

class FindTest : public ViewFixture {
  protected:
    void SetCompareText(const std::wstring& text) { form_->Ed_ComText.SetCaption(text); }
    // Clicks Find and returns the no-match box, when one came.
    SeenMessageBox ClickFind(DWORD boxTimeoutMs = 3000) {
        return AnswerMessageBox(
            form_->Handle(), [&] { Click(form_->Btn_ComText); }, boxTimeoutMs);
    }
    // View position of text's first occurrence, counting breaks once.
    LONG PositionOf(const std::wstring& needle) const {
        std::wstring text = ViewText();
        std::wstring flat;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
            flat += text[i];
        }
        return static_cast<LONG>(flat.find(needle));
    }
};

// How many pixels of the view's client area show the selection colour.
int HighlightedPixels(HWND view) {
    ::RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client{};
    ::GetClientRect(view, &client);
    const int width = client.right;
    const int height = client.bottom;
    const HDC windowDc = ::GetDC(view);
    const HDC memoryDc = ::CreateCompatibleDC(windowDc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP image = ::CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memoryDc, image);
    ::BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    ::GdiFlush();
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const DWORD wanted = (DWORD{GetRValue(highlight)} << 16) | (DWORD{GetGValue(highlight)} << 8) |
                         GetBValue(highlight);
    int count = 0;
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; pixels && i < width * height; ++i) {
        if ((pixels[i] & 0xFFFFFF) == wanted) ++count;
    }
    ::SelectObject(memoryDc, previous);
    ::DeleteObject(image);
    ::DeleteDC(memoryDc);
    ::ReleaseDC(view, windowDc);
    return count;
}

TEST_F(FindTest, DigestsMatchWhateverTheirCase) {
    const struct {
        bool ViewUpper;
        const std::wstring& Compare;
        const std::wstring& Shown;
    } cases[] = {
        {true, kMd5Lower, kMd5Upper},
        {false, kMd5Upper, kMd5Lower},
        {true, kMd5Upper, kMd5Upper},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ViewUpper ? "upper-case view" : "lower-case view");
        CreateFilledForm(ReportBlock(L"C:\\data\\a.bin", c.ViewUpper));
        ::SetFocus(form_->Ed_ComText.Handle);
        SetCompareText(c.Compare);
        const SeenMessageBox box = ClickFind(1000);
        EXPECT_TRUE(box.Caption.empty()) << "no box on a match";
        EXPECT_EQ(SelectedText(), c.Shown);
        EXPECT_EQ(Selection().cpMin, PositionOf(c.Shown));
        EXPECT_EQ(::GetFocus(), View()) << "the view shows its selection";
        CloseForm();
    }
}

TEST_F(FindTest, TheSelectionShowsOnlyWhileTheViewHasTheFocus) {
    CreateFilledForm(ReportBlock(L"C:\\data\\a.bin", true));
    SetCompareText(kMd5Upper);
    ClickFind(1000);
    ASSERT_EQ(::GetFocus(), View());
    Pump(20);
    EXPECT_GT(HighlightedPixels(View()), 0) << "the found digest shows selected";
    ::SetFocus(form_->Ed_ComText.Handle);
    Pump(20);
    EXPECT_EQ(HighlightedPixels(View()), 0) << "hidden while another control has the focus";
    EXPECT_EQ(SelectedText(), kMd5Upper) << "but still selected";
    ::SetFocus(View());
    Pump(20);
    EXPECT_GT(HighlightedPixels(View()), 0) << "shown again with the focus";
}

TEST_F(FindTest, EveryClickSelectsTheFirstOccurrence) {
    CreateFilledForm(ReportBlock(L"C:\\one.bin", true) + ReportBlock(L"C:\\two.bin", true));
    const LONG first = PositionOf(kMd5Upper);
    ASSERT_GT(first, 0);
    SetCompareText(kMd5Lower);
    for (int click = 0; click < 3; ++click) {
        ClickFind(500);
        EXPECT_EQ(Selection().cpMin, first) << "click " << click;
        EXPECT_EQ(Selection().cpMax, first + static_cast<LONG>(kMd5Lower.size()));
        // Wherever the selection is, the next search starts from the top.
        ::SendMessageW(View(), EM_SETSEL, first + 40, first + 40);
    }
}

TEST_F(FindTest, SpacesInTheCompareTextAreKept) {
    // The digest occurs first without a space before it, then after "MD5: ".
    CreateFilledForm(L"副本:" + kMd5Upper + L"\r\n" + ReportBlock(L"C:\\a.bin", true));
    SetCompareText(L" " + kMd5Lower);
    ClickFind(500);
    EXPECT_EQ(SelectedText(), L" " + kMd5Upper);
    EXPECT_EQ(Selection().cpMin, PositionOf(L"MD5: ") + 4);

    // No digest is followed by a space in the view.
    ::SendMessageW(View(), EM_SETSEL, 2, 5);
    SetCompareText(kMd5Lower + L" ");
    const SeenMessageBox box = ClickFind();
    EXPECT_EQ(box.Text, L"没有匹配的值！");
    EXPECT_EQ(Selection().cpMin, 2) << "the selection stays as it was";
    EXPECT_EQ(Selection().cpMax, 5);
}

TEST_F(FindTest, NoMatchShowsTheInformationBox) {
    CreateFilledForm(L"");
    SetCompareText(kMd5Lower);
    const SeenMessageBox box = ClickFind();
    EXPECT_EQ(box.Caption, L"提示");
    EXPECT_EQ(box.Text, L"没有匹配的值！");
    EXPECT_EQ(box.Icon, ::LoadIconW(nullptr, IDI_INFORMATION));
    EXPECT_EQ(box.Buttons, std::vector<int>{IDOK});
    // The window goes on.
    AppendToView(ReportBlock(L"C:\\later.bin", false));
    EXPECT_TRUE(ClickFind(500).Caption.empty());
    EXPECT_EQ(SelectedText(), kMd5Lower);
}

TEST_F(FindTest, DuringAJobFindSeesTheBlocksNotYetPainted) {
    CreateFilledForm(ReportBlock(L"C:\\data\\a.bin", true));
    form_->DisableControls();  // as a job starts: the view's paints are paced
    form_->AppendResult(L"CRC32: CAFEBABE");
    SetCompareText(L"cafebabe");
    EXPECT_TRUE(ClickFind(500).Caption.empty()) << "no box: the block is found";
    EXPECT_EQ(SelectedText(), L"CAFEBABE");
    form_->EnableControls();
}

TEST_F(FindTest, MatchFarDownIsScrolledIntoView) {
    std::wstring report;
    for (int i = 0; i < 60; ++i)
        report += L"文件名称: C:\\file" + std::to_wstring(i) + L".bin\r\nCRC32: 00000000\r\n";
    report += L"CRC32: CAFEBABE\r\n";
    CreateFilledForm(report);
    ::SendMessageW(View(), EM_SETSEL, 0, 0);
    ::SendMessageW(View(), EM_SCROLLCARET, 0, 0);
    ASSERT_EQ(::SendMessageW(View(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SetCompareText(L"cafebabe");
    ClickFind(500);
    EXPECT_EQ(SelectedText(), L"CAFEBABE");
    const LRESULT matchLine = ::SendMessageW(View(), EM_EXLINEFROMCHAR, 0, Selection().cpMin);
    const LRESULT firstVisible = ::SendMessageW(View(), EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(firstVisible, 0);
    EXPECT_LE(firstVisible, matchLine);
}

}  // namespace
