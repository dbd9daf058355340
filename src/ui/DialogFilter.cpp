#include "DialogFilter.h"

std::vector<TFilterEntry> DialogFilterEntries(std::wstring_view filter) {
    std::vector<std::wstring> parts;
    if (!filter.empty()) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t bar = filter.find(L'|', start);
            parts.emplace_back(filter.substr(start, bar - start));
            if (bar == std::wstring_view::npos) break;
            start = bar + 1;
        }
    }
    std::vector<TFilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        entries.push_back({parts[i], parts[i + 1]});
    }
    return entries;
}

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
