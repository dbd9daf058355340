#include "Win32Error.h"

#include "JobPlatform.h"
#include "Utf8Text.h"

std::wstring SystemReason(DWORD code) {
    // One rule for every reason the program shows: the job's.
    return SystemJobPlatform().ErrorReason(code);
}

Win32Error::Win32Error(DWORD code) : Win32Error(code, SystemReason(code)) {}

Win32Error::Win32Error(DWORD code, std::wstring message)
    : std::runtime_error(WideToUtf8(message)), code_(code), message_(std::move(message)) {}
