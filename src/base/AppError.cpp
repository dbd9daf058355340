#include "AppError.h"

#include "Utf8Text.h"

AppError::AppError(ErrorCode code, std::wstring_view context, std::source_location where)
    : AppError(std::wstring(context) + SystemErrorReason(code), code, where) {}

AppError::AppError(std::wstring message, std::source_location where)
    : AppError(std::move(message), 0, where) {}

AppError::AppError(std::wstring message, ErrorCode code, std::source_location where)
    : std::runtime_error(WideToUtf8(message)),
      message_(std::move(message)),
      code_(code),
      where_(where) {}
