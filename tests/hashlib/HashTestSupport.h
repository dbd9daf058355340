#pragma once
// Feeding helpers shared by the hash context suites.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "Crc32Routine.h"
#include "HashContext.h"

// The platform's CALG_ values differ in type between builds; tests loop over these.
constexpr std::uint32_t kServiceAlgorithms[] = {CALG_MD5, CALG_SHA1, CALG_SHA_256};
constexpr std::uint32_t kAllAlgorithms[] = {CALG_MD5, CALG_SHA1, CALG_SHA_256, CALG_CRC32};

inline std::wstring Widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

// Begins a context for algId, feeds text in one block and finishes it.
inline std::wstring DigestOf(std::uint32_t algId, std::string_view text, bool upperCase = false) {
    THashContext ctx;
    HashInit(ctx, algId);
    HashUpdate(ctx, text.data(), static_cast<std::int32_t>(text.size()));
    return HashFinal(ctx, upperCase);
}

// Names the cases of a suite that runs once per CRC-32 routine.
inline std::string Crc32RoutineParamName(const ::testing::TestParamInfo<Crc32Routine>& param) {
    return Crc32RoutineName(param.param);
}
