#pragma once
// A failed platform call that the caller does not handle itself. The window's
// event dispatch shows it in the application's error box.

#include <windows.h>

#include <stdexcept>
#include <string>

class Win32Error : public std::runtime_error {
  public:
    // `code` is a Win32 error code or an HRESULT; the message is the system's
    // reason for it in the user's language.
    explicit Win32Error(DWORD code);

    DWORD Code() const { return code_; }
    // The message as UTF-16, for the error box; what() holds it as UTF-8.
    const std::wstring& Message() const { return message_; }

  private:
    Win32Error(DWORD code, std::wstring message);

    DWORD code_;
    std::wstring message_;
};

// The system's text for an error code in the user's language, without trailing
// white space, control characters and full stops; "错误代码 %d" with the
// code as a signed number when the system has none.
std::wstring SystemReason(DWORD code);
