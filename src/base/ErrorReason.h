#pragma once
// The text that explains a system error code: in error blocks, error boxes
// and the messages of AppError.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// A Win32 error code or HRESULT on Windows, an errno value elsewhere; 0 is
// success.
using ErrorCode = std::uint32_t;

// Which message text to ask the system for.
enum class MessageLanguage { User, English };

// Looks up the system's message text for a code in a language; empty when
// the system has none.
using MessageLookup = std::function<std::optional<std::wstring>(ErrorCode, MessageLanguage)>;

// The message without its trailing characters up to U+0020 and full stops.
std::wstring TrimMessageText(std::wstring text);

// The trimmed text in the user's language, else the trimmed English text,
// else "错误代码 %d" with the code as a signed 32-bit number: never empty.
std::wstring ComposeErrorReason(ErrorCode code, const MessageLookup& lookup);

// ComposeErrorReason with the running system's messages (FormatMessageW on
// Windows, strerror_r elsewhere). The one source of every system reason the
// program shows.
std::wstring SystemErrorReason(ErrorCode code);
