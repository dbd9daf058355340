#include "AboutBox.h"

#ifdef _WIN64
static_assert(sizeof(MSGBOXPARAMSW) == 80, "the about box passes the 64-bit record size");
#endif

void ShowAboutBox(HWND window) {
    const std::wstring text = AboutText();
    MSGBOXPARAMSW params = {};
    params.cbSize = sizeof(params);
    params.hwndOwner = window;
    params.hInstance = GetModuleHandleW(nullptr);
    params.lpszText = text.c_str();
    params.lpszCaption = kAboutCaption;
    params.dwStyle = MB_USERICON;
    params.lpszIcon = L"MAINICON";
    params.dwContextHelpId = 1;
    params.lpfnMsgBoxCallback = nullptr;
    params.dwLanguageId = 0;
    MessageBoxIndirectW(&params);
}
