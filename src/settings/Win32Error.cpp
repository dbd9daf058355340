#include "Win32Error.h"

#include <cstdint>
#include <memory>

#include "Utf8Text.h"

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
        reason = L"错误代码 " + std::to_wstring(static_cast<std::int32_t>(code));
    }
    return reason;
}

Win32Error::Win32Error(DWORD code) : Win32Error(code, SystemReason(code)) {}

Win32Error::Win32Error(DWORD code, std::wstring message)
    : std::runtime_error(WideToUtf8(message)), code_(code), message_(std::move(message)) {}
