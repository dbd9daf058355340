#include "ErrorReason.h"

#include <cstdint>

std::wstring TrimMessageText(std::wstring text) {
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) {
        text.pop_back();
    }
    return text;
}

std::wstring ComposeErrorReason(ErrorCode code, const MessageLookup& lookup) {
    for (MessageLanguage language : {MessageLanguage::User, MessageLanguage::English}) {
        if (std::optional<std::wstring> message = lookup(code, language)) {
            std::wstring trimmed = TrimMessageText(std::move(*message));
            if (!trimmed.empty()) {
                return trimmed;
            }
        }
    }
    return L"错误代码 " + std::to_wstring(static_cast<std::int32_t>(code));
}
