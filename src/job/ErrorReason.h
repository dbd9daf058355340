#pragma once
// The text that explains a system error code in an error block.

#include <functional>
#include <optional>
#include <string>

#include "JobPlatform.h"

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
