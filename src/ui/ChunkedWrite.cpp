#include "ChunkedWrite.h"

#include <algorithm>

bool WriteAllBytes(std::string_view bytes, std::size_t chunkSize, const ByteSink& sink) {
    if (chunkSize == 0) chunkSize = 1;
    while (!bytes.empty()) {
        const std::size_t piece = std::min(chunkSize, bytes.size());
        const std::size_t written = sink(bytes.data(), piece);
        if (written == 0 || written > piece) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::size_t TextPieceEnd(std::wstring_view text, std::size_t start, std::size_t maxLength) {
    if (start >= text.size()) return text.size();
    if (maxLength < 2) maxLength = 2;  // room for a whole surrogate pair
    if (text.size() - start <= maxLength) return text.size();
    std::size_t end = start + maxLength;
    const wchar_t last = text[end - 1];
    if (last >= 0xD800 && last <= 0xDBFF) --end;  // keep the pair together
    return end;
}
