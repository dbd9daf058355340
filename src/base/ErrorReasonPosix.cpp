// The system's reasons on POSIX systems: strerror_r.
#include <cstring>

#include "ErrorReason.h"
#include "Utf8Text.h"

namespace {

// strerror_r comes in a GNU flavour (returns the text) and an XSI one
// (fills the buffer); both are handled.
const char* MessageOf(char* result, const char*) {
    return result;
}
[[maybe_unused]] const char* MessageOf(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}

}  // namespace

std::wstring SystemErrorReason(ErrorCode code) {
    return ComposeErrorReason(
        code, [](ErrorCode wanted, MessageLanguage) -> std::optional<std::wstring> {
            // The program leaves the C library in its "C" locale, whose texts are
            // the English ones: one lookup serves both.
            char buffer[256] = {};
            const char* text =
                MessageOf(::strerror_r(static_cast<int>(wanted), buffer, sizeof buffer), buffer);
            if (text == nullptr) {
                return std::nullopt;
            }
            return Utf8ToWide(text);
        });
}
