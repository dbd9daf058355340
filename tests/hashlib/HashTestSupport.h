#pragma once
// Feeding helpers shared by the hash context suites.

#include <cstdint>
#include <string>
#include <string_view>

#include "HashContext.h"

inline std::wstring Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

// Begins a context for algId, feeds text in one block and finishes it.
inline std::wstring DigestOf(std::uint32_t algId, std::string_view text, bool upperCase = false) {
    THashContext ctx;
    HashInit(ctx, algId);
    HashUpdate(ctx, text.data(), static_cast<std::int32_t>(text.size()));
    return HashFinal(ctx, upperCase);
}
