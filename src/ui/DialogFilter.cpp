#include "DialogFilter.h"

std::wstring SystemDialogFilter(std::wstring_view filter) {
    std::wstring result(filter);
    for (wchar_t& c : result) {
        if (c == L'|') c = L'\0';
    }
    // The last part's NUL, then the list's closing NUL.
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}
