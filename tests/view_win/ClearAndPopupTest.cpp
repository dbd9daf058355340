// Clearing the results, and the view's popup menu: its items, their states,
// and copy, delete and select all on the read-only view.

#include "ViewFixture.h"  // first: it brings <windows.h>

#include <string>

#include "UserDriver.h"

namespace {

class ClearAndPopupTest : public ViewFixture {
  protected:
    std::wstring MenuItemText(UINT position) const {
        wchar_t text[64] = {};
        ::GetMenuStringW(form_->PopupMenu1.Get(), position, text, 64, MF_BYPOSITION);
        return text;
    }
    // Chooses a popup item with the mouse's menu and returns whether it showed.
    bool ChooseFromPopup(wchar_t mnemonic) {
        return WithPopupMenu([&] { PressMenuKey(); },
                             [&](HWND) {
                                 ChooseMenuItem(mnemonic);
                                 return true;
                             });
    }
};

TEST_F(ClearAndPopupTest, ClearEmptiesTheViewAndDisablesItsButtons) {
    CreateFilledForm(ReportBlock(L"C:\\a.bin", true));
    form_->Ed_ComText.SetCaption(L"9e107d9d");
    Click(form_->Btn_Clear);
    EXPECT_EQ(ViewText(), L"");
    EXPECT_FALSE(form_->Btn_Clear.Enabled());
    EXPECT_FALSE(form_->Btn_Copy.Enabled());
    EXPECT_FALSE(form_->Btn_Save.Enabled());
    EXPECT_TRUE(form_->Btn_ComText.Enabled());
    EXPECT_TRUE(form_->RichEdit1.Enabled());
    EXPECT_TRUE(ViewIsReadOnly());

    const SeenMessageBox box =
        AnswerMessageBox(form_->Handle(), [&] { Click(form_->Btn_ComText); });
    EXPECT_EQ(box.Text, L"没有匹配的值！");
}

TEST_F(ClearAndPopupTest, RightClickWithoutSelectionOffersOnlySelectAll) {
    CreateFilledForm(ReportBlock(L"C:\\a.bin", true));
    ::SendMessageW(View(), EM_SETSEL, 3, 3);
    const POINT click{30, 20};
    POINT screen = click;
    ::ClientToScreen(View(), &screen);
    RECT menuAt{};
    const bool shown =
        WithPopupMenu([&] { RightClickView(click); },
                      [&](HWND menu) {
                          EXPECT_EQ(PopupItemState(form_->Pop_Copy), UINT(MF_GRAYED));
                          EXPECT_EQ(PopupItemState(form_->Pop_Clear), UINT(MF_GRAYED));
                          EXPECT_EQ(PopupItemState(form_->Pop_All), UINT(MF_ENABLED));
                          EXPECT_EQ(PopupItemState(form_->Pop_Verify), UINT(MF_ENABLED));
                          ::GetWindowRect(menu, &menuAt);
                          return false;
                      });
    ASSERT_TRUE(shown);
    EXPECT_EQ(menuAt.left, screen.x) << "opened where the user clicked";
    EXPECT_EQ(menuAt.top, screen.y);
    // The items and their order.
    const HMENU popup = form_->PopupMenu1.Get();
    ASSERT_EQ(::GetMenuItemCount(popup), 6);
    EXPECT_EQ(MenuItemText(0), L"复制(&C)");
    EXPECT_EQ(MenuItemText(1), L"删除(&D)");
    EXPECT_TRUE(::GetMenuState(popup, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(MenuItemText(3), L"全选(&S)");
    EXPECT_EQ(::GetMenuItemID(popup, 0), form_->Pop_Copy.Id);
    EXPECT_EQ(::GetMenuItemID(popup, 1), form_->Pop_Clear.Id);
    EXPECT_EQ(::GetMenuItemID(popup, 3), form_->Pop_All.Id);
    EXPECT_TRUE(::GetMenuState(popup, 4, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(MenuItemText(5), L"校验哈希文件(&V)...");
    EXPECT_EQ(::GetMenuItemID(popup, 5), form_->Pop_Verify.Id);
    // Closing the menu without a choice changes nothing.
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 3);
}

TEST_F(ClearAndPopupTest, SelectionEnablesCopyAndDelete) {
    CreateFilledForm(ReportBlock(L"C:\\a.bin", true));
    ::SendMessageW(View(), EM_SETSEL, 0, 4);
    const bool shown =
        WithPopupMenu([&] { PressMenuKey(); },
                      [&](HWND) {
                          EXPECT_EQ(PopupItemState(form_->Pop_Copy), UINT(MF_ENABLED));
                          EXPECT_EQ(PopupItemState(form_->Pop_Clear), UINT(MF_ENABLED));
                          EXPECT_EQ(PopupItemState(form_->Pop_All), UINT(MF_ENABLED));
                          return false;
                      });
    EXPECT_TRUE(shown);
    // And without a selection again, both are disabled once more.
    ::SendMessageW(View(), EM_SETSEL, 4, 4);
    WithPopupMenu([&] { PressMenuKey(); },
                  [&](HWND) {
                      EXPECT_EQ(PopupItemState(form_->Pop_Copy), UINT(MF_GRAYED));
                      EXPECT_EQ(PopupItemState(form_->Pop_Clear), UINT(MF_GRAYED));
                      return false;
                  });
}

TEST_F(ClearAndPopupTest, MenuKeyOpensThePopupAtTheCaret) {
    CreateFilledForm(ReportBlock(L"C:\\a.bin", true));
    const LONG caret = 20;
    ::SendMessageW(View(), EM_SETSEL, caret, caret);
    POINTL at{};
    ::SendMessageW(View(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), caret);
    POINT screen{at.x, at.y};
    ::ClientToScreen(View(), &screen);
    RECT menuAt{};
    ASSERT_TRUE(WithPopupMenu([&] { PressMenuKey(); },
                              [&](HWND menu) {
                                  ::GetWindowRect(menu, &menuAt);
                                  return false;
                              }));
    EXPECT_EQ(menuAt.left, screen.x);
    EXPECT_EQ(menuAt.top, screen.y);
}

TEST_F(ClearAndPopupTest, DeleteWorksOnTheReadOnlyViewAndLeavesItReadOnly) {
    const std::wstring block = ReportBlock(L"C:\\a.bin", true);
    CreateFilledForm(block);
    ASSERT_TRUE(ViewIsReadOnly());
    // The view refuses typing.
    ::SendMessageW(View(), EM_SETSEL, 0, 0);
    ::SendMessageW(View(), WM_CHAR, L'x', 0);
    ASSERT_EQ(ViewText(), block);

    const std::wstring firstLine = L"文件名称: C:\\a.bin\r\n";
    ::SendMessageW(View(), EM_SETSEL, 0, static_cast<LPARAM>(firstLine.size() - 1));
    ASSERT_TRUE(ChooseFromPopup(L'd'));
    EXPECT_EQ(ViewText(), block.substr(firstLine.size()));
    EXPECT_TRUE(ViewIsReadOnly());

    // Deleting everything leaves the buttons as they were.
    ::SendMessageW(View(), EM_SETSEL, 0, -1);
    ASSERT_TRUE(ChooseFromPopup(L'd'));
    EXPECT_EQ(ViewText(), L"");
    EXPECT_TRUE(ViewIsReadOnly());
    EXPECT_TRUE(form_->Btn_Clear.Enabled());
    EXPECT_TRUE(form_->Btn_Copy.Enabled());
    EXPECT_TRUE(form_->Btn_Save.Enabled());
}

TEST_F(ClearAndPopupTest, CopyAndSelectAllFromThePopup) {
    const std::wstring block = ReportBlock(L"C:\\a.bin", true);
    CreateFilledForm(block);
    const std::wstring digest = L"9E107D9D372BB6826BD81D3542A419D6";
    const LONG at = static_cast<LONG>(block.find(digest)) - 3;  // three CR LF before it
    ::SendMessageW(View(), EM_SETSEL, at, at + static_cast<LONG>(digest.size()));
    ASSERT_EQ(SelectedText(), digest);
    SetClipboardText(L"before");
    ASSERT_TRUE(ChooseFromPopup(L'c'));
    EXPECT_EQ(ClipboardText(), digest);

    ::SendMessageW(View(), EM_SETSEL, 5, 5);
    ASSERT_TRUE(ChooseFromPopup(L's'));
    const CHARRANGE all = Selection();
    EXPECT_EQ(all.cpMin, 0);
    // The selection reaches the end, the view's closing paragraph mark included.
    GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
    EXPECT_GE(all.cpMax,
              ::SendMessageW(View(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    EXPECT_EQ(SelectedText().substr(0, 6), L"文件名称: ");
}

}  // namespace
