// The system's reasons on Windows: FormatMessageW.
#include <windows.h>

#include "ErrorReason.h"
#include "Win32Raii.h"

namespace {

std::optional<std::wstring> SystemMessage(ErrorCode code, MessageLanguage language) {
    const DWORD languageId =
        language == MessageLanguage::User ? 0 : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, languageId, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const UniqueLocalMemory message(text);
    if (length == 0 || text == nullptr) {
        return std::nullopt;
    }
    return std::wstring(text, length);
}

}  // namespace

std::wstring SystemErrorReason(ErrorCode code) {
    return ComposeErrorReason(code, SystemMessage);
}
