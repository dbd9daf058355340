#pragma once
// The program's one exception type: an error with a text for the user's error
// box, the system's error code behind it (0 when no system call failed) and
// the place in the code that raised it. The window procedure shows what
// escapes an event handler; the job's threads hand what escapes them to the
// UI thread, which shows it the same way.

#include <source_location>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ErrorReason.h"

class AppError : public std::runtime_error {
  public:
    // The system's reason for `code`, after `context` when there is one
    // ("Cannot open clipboard: " + reason).
    explicit AppError(ErrorCode code, std::wstring_view context = {},
                      std::source_location where = std::source_location::current());
    // A text of the program's own.
    explicit AppError(std::wstring message,
                      std::source_location where = std::source_location::current());

    ErrorCode Code() const noexcept { return code_; }
    // The text as UTF-16, for the error box; what() holds it as UTF-8.
    const std::wstring& Message() const noexcept { return message_; }
    const std::source_location& Where() const noexcept { return where_; }

  private:
    AppError(std::wstring message, ErrorCode code, std::source_location where);

    std::wstring message_;
    ErrorCode code_;
    std::source_location where_;
};
