#pragma once
// The real window with its result view prepared as a finished job leaves
// it: enabled, empty, left-aligned, filled with report text, and the
// buttons of the view enabled.

#include "FormFixture.h"  // first: it brings <windows.h>

// Needs the declarations of <windows.h>.
#include <richedit.h>

#include <functional>
#include <string>

class ViewFixture : public FormFixture {
  protected:
    // Creates the window and prepares the view.
    void CreateFilledForm(const std::wstring& reportText);
    // Appends text at the end of the view, as the job's results arrive.
    void AppendToView(const std::wstring& text);
    // Clicks a button of the window.
    void Click(const TControl& button);

    // Asks for the view's popup menu with `open` and, once the menu shows,
    // runs `whileOpen` inside the menu's loop. `whileOpen` returns true when
    // it chose an item (ChooseMenuItem); otherwise the menu is closed without
    // a choice. Returns whether the menu showed; the chosen item's command
    // has run when this returns.
    bool WithPopupMenu(const std::function<void()>& open,
                       const std::function<bool(HWND menuWindow)>& whileOpen);
    // Chooses an item of the open menu by its underlined letter.
    void ChooseMenuItem(wchar_t mnemonic);
    // A right click at a point of the view's client area.
    void RightClickView(POINT client);
    // The request the menu key sends: WM_CONTEXTMENU without a position.
    void PressMenuKey();
    // MF_GRAYED or MF_ENABLED of a popup item.
    UINT PopupItemState(const TMenuItem& item) const;

    HWND View() const { return form_->RichEdit1.Handle; }
    CHARRANGE Selection() const;
    std::wstring SelectedText() const;
    bool ViewIsReadOnly() const;
};

// Text on the clipboard as Unicode text; `available` tells whether there was any.
std::wstring ClipboardText(bool* available = nullptr);
// Puts text on the clipboard.
void SetClipboardText(const std::wstring& text);

// Report blocks as the job writes them (CR LF line ends).
std::wstring ReportBlock(const std::wstring& name, bool upper);
