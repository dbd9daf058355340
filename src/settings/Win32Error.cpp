#include "Win32Error.h"

#include <cwchar>
#include <memory>

namespace {

struct LocalFreeDeleter {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

bool IsTrimmedAtEnd(wchar_t c) {
    return c == L'.' || c == L'\x3002' || c <= L' ' || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

std::wstring SystemReason(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owned(buffer);
    std::wstring reason = length != 0 ? std::wstring(buffer, length) : std::wstring();
    while (!reason.empty() && IsTrimmedAtEnd(reason.back())) reason.pop_back();
    if (reason.empty()) {
        wchar_t fallback[32];
        std::swprintf(fallback, 32, L"错误 0x%08lX", static_cast<unsigned long>(code));
        reason = fallback;
    }
    return reason;
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                            size, nullptr, nullptr);
    }
    return utf8;
}

Win32Error::Win32Error(DWORD code) : Win32Error(code, SystemReason(code)) {}

Win32Error::Win32Error(DWORD code, std::wstring message)
    : std::runtime_error(WideToUtf8(message)), code_(code), message_(std::move(message)) {}
