#include <gtest/gtest.h>

#include <cstdint>
#include <cwctype>
#include <string>

#include "HashContext.h"
#include "HashTestSupport.h"

namespace {

constexpr std::uint32_t kUnknownId = 0x8005;

bool AllOf(const std::wstring& text, const std::wstring& allowed) {
    return text.find_first_not_of(allowed) == std::wstring::npos;
}

TEST(HashContext, Crc32Results) {
    THashContext ctx;
    EXPECT_FALSE(HashInit(ctx, CALG_CRC32));
    EXPECT_EQ(ctx.HashType, CALG_CRC32);
    EXPECT_EQ(ctx.HashValue, 0u);
    EXPECT_FALSE(HashUpdate(ctx, "123456789", 9));
    EXPECT_EQ(ctx.HashValue, 0xCBF43926u);
    EXPECT_EQ(HashFinal(ctx, true), L"CBF43926");
    EXPECT_EQ(ctx.hProv, 0u);
    EXPECT_FALSE(ctx.hHash);
}

TEST(HashContext, Crc32OfNothingIsEightZeros) {
    THashContext ctx;
    HashInit(ctx, CALG_CRC32);
    EXPECT_EQ(HashFinal(ctx, true), L"00000000");
}

TEST(HashContext, Crc32KeepsLeadingZeros) {
    // zlib.crc32(b"665") == 0x00081566
    EXPECT_EQ(DigestOf(CALG_CRC32, "665", true), L"00081566");
}

TEST(HashContext, Crc32EmptyOrNullBlockLeavesTheValue) {
    THashContext ctx;
    HashInit(ctx, CALG_CRC32);
    HashUpdate(ctx, "12345", 5);
    const std::uint32_t partial = ctx.HashValue;
    EXPECT_FALSE(HashUpdate(ctx, "x", 0));
    EXPECT_FALSE(HashUpdate(ctx, nullptr, 4));
    EXPECT_EQ(ctx.HashValue, partial);
    HashUpdate(ctx, "6789", 4);
    EXPECT_EQ(HashFinal(ctx, false), L"cbf43926");
}

TEST(HashContext, ServiceContextHoldsHandlesUntilFinal) {
    for (std::uint32_t algId : kServiceAlgorithms) {
        THashContext ctx;
        EXPECT_TRUE(HashInit(ctx, algId));
        EXPECT_NE(ctx.hProv, 0u);
        EXPECT_TRUE(ctx.hHash);
        EXPECT_TRUE(HashUpdate(ctx, "abc", 3));
        EXPECT_FALSE(HashFinal(ctx, false).empty());
        EXPECT_FALSE(ctx.hHash);
        EXPECT_EQ(ctx.hProv, 0u);
        EXPECT_EQ(ctx.hHash.Get(), 0u);
        // A finished context holds nothing: no second digest, no second release.
        EXPECT_FALSE(HashUpdate(ctx, "abc", 3));
        EXPECT_EQ(HashFinal(ctx, false), L"");
    }
}

TEST(HashContext, DigestLengths) {
    EXPECT_EQ(DigestOf(CALG_MD5, "x").size(), 32u);
    EXPECT_EQ(DigestOf(CALG_SHA1, "x").size(), 40u);
    EXPECT_EQ(DigestOf(CALG_SHA_256, "x").size(), 64u);
    EXPECT_EQ(DigestOf(CALG_CRC32, "x").size(), 8u);
}

TEST(HashContext, CaseFlagSelectsTheDigitSet) {
    for (std::uint32_t algId : kAllAlgorithms) {
        const std::wstring upper = DigestOf(algId, "case test", true);
        const std::wstring lower = DigestOf(algId, "case test", false);
        EXPECT_TRUE(AllOf(upper, L"0123456789ABCDEF")) << upper.c_str();
        EXPECT_TRUE(AllOf(lower, L"0123456789abcdef")) << lower.c_str();
        ASSERT_EQ(upper.size(), lower.size());
        for (std::size_t i = 0; i < upper.size(); ++i) {
            EXPECT_EQ(towlower(upper[i]), lower[i]);
        }
    }
}

TEST(HashContext, UnknownIdGivesNoDigest) {
    THashContext ctx;
    EXPECT_FALSE(HashInit(ctx, kUnknownId));
    EXPECT_EQ(ctx.HashType, kUnknownId);
    EXPECT_EQ(ctx.hProv, 0u);
    EXPECT_FALSE(ctx.hHash);
    EXPECT_FALSE(HashUpdate(ctx, "abc", 3));
    EXPECT_EQ(HashFinal(ctx, true), L"");
    EXPECT_EQ(HashFinal(ctx, false), L"");
}

// A service context whose provider was never obtained: nothing to feed,
// nothing to release, no digest.
TEST(HashContext, FailedContextIsNeitherFedNorReleased) {
    THashContext ctx;
    ctx.HashType = CALG_SHA1;
    EXPECT_FALSE(HashUpdate(ctx, "abc", 3));
    EXPECT_EQ(HashFinal(ctx, true), L"");
    EXPECT_FALSE(ctx.hHash);
}

TEST(HashContext, NeverBegunContextGivesNoDigest) {
    THashContext ctx;
    EXPECT_EQ(HashFinal(ctx, true), L"");
}

TEST(HashContext, NegativeCountIsRefused) {
    THashContext ctx;
    HashInit(ctx, CALG_MD5);
    EXPECT_FALSE(HashUpdate(ctx, "abc", -3));
    EXPECT_EQ(HashFinal(ctx, false), DigestOf(CALG_MD5, ""));
}

// The job begins the same four contexts again for every file.
TEST(HashContext, BegunAgainAfterFinal) {
    for (std::uint32_t algId : kAllAlgorithms) {
        THashContext ctx;
        HashInit(ctx, algId);
        HashUpdate(ctx, "first file", 10);
        const std::wstring first = HashFinal(ctx, true);

        HashInit(ctx, algId);
        HashUpdate(ctx, "abc", 3);
        EXPECT_EQ(HashFinal(ctx, true), DigestOf(algId, "abc", true));
        EXPECT_NE(first, DigestOf(algId, "abc", true));
    }
}

TEST(HashContext, SwitchingAlgorithmOnOneContext) {
    THashContext ctx;
    HashInit(ctx, CALG_CRC32);
    HashUpdate(ctx, "123456789", 9);
    HashFinal(ctx, true);
    HashInit(ctx, CALG_SHA_256);
    HashUpdate(ctx, "abc", 3);
    EXPECT_EQ(HashFinal(ctx, false), DigestOf(CALG_SHA_256, "abc"));
    HashInit(ctx, CALG_CRC32);
    HashUpdate(ctx, "123456789", 9);
    EXPECT_EQ(HashFinal(ctx, true), L"CBF43926");
}

}  // namespace
