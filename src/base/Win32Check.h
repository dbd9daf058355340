#pragma once
// Checks of Win32 results that throw AppError with the system's code and the
// caller's place in the code when the call failed.

#include <windows.h>

#include <source_location>
#include <string_view>

#include "AppError.h"

// GetLastError after a failed call, never 0, so that a failure never reads as
// success.
inline ErrorCode LastErrorCode() noexcept {
    const DWORD code = ::GetLastError();
    return code != 0 ? code : ERROR_GEN_FAILURE;
}

[[noreturn]] inline void ThrowLastError(
    std::wstring_view context = {}, std::source_location where = std::source_location::current()) {
    throw AppError(LastErrorCode(), context, where);
}

// For calls that return BOOL (or any value that is zero on failure) and set
// the last error.
template <typename Result>
Result CheckWin32(Result result, std::wstring_view context = {},
                  std::source_location where = std::source_location::current()) {
    if (!result) ThrowLastError(context, where);
    return result;
}

// For calls that return a handle, INVALID_HANDLE_VALUE on failure
// (CreateFileW, FindFirstFileW).
inline HANDLE CheckFileHandle(HANDLE handle, std::wstring_view context = {},
                              std::source_location where = std::source_location::current()) {
    if (handle == INVALID_HANDLE_VALUE) ThrowLastError(context, where);
    return handle;
}

// For calls that return their error code (the registry's LSTATUS).
inline void CheckStatus(LSTATUS status, std::wstring_view context = {},
                        std::source_location where = std::source_location::current()) {
    if (status != ERROR_SUCCESS) throw AppError(static_cast<ErrorCode>(status), context, where);
}

inline void CheckHResult(HRESULT result, std::wstring_view context = {},
                         std::source_location where = std::source_location::current()) {
    if (FAILED(result)) throw AppError(static_cast<ErrorCode>(result), context, where);
}
