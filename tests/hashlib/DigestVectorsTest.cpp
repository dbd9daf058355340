// Published test vectors: RFC 1321 for MD5, FIPS 180 for SHA-1 and SHA-256.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "HashContext.h"
#include "HashTestSupport.h"

namespace {

struct DigestCase {
    std::uint32_t algId;
    const char* message;
    const char* digest;
};

constexpr const char* kTwoBlockMessage = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

const DigestCase kCases[] = {
    {CALG_MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
    {CALG_MD5, "a", "0cc175b9c0f1b6a831c399e269772661"},
    {CALG_MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {CALG_MD5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {CALG_MD5, "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {CALG_MD5, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {CALG_MD5,
     "1234567890123456789012345678901234567890123456789012345678901234567890123456789"
     "0",
     "57edf4a22be3c955ac49da2e2107b67a"},
    {CALG_SHA1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {CALG_SHA1, kTwoBlockMessage, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {CALG_SHA1, "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {CALG_SHA_256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {CALG_SHA_256, kTwoBlockMessage,
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {CALG_SHA_256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
};

TEST(DigestVectors, PublishedMessages) {
    for (const DigestCase& c : kCases) {
        EXPECT_EQ(DigestOf(c.algId, c.message), Widen(c.digest))
            << "id " << std::hex << c.algId << " message \"" << c.message << '"';
    }
}

TEST(DigestVectors, MessageFedByteByByte) {
    for (const DigestCase& c : kCases) {
        THashContext ctx;
        HashInit(ctx, c.algId);
        for (const char* p = c.message; *p != '\0'; ++p) {
            HashUpdate(ctx, p, 1);
        }
        EXPECT_EQ(HashFinal(ctx, false), Widen(c.digest)) << '"' << c.message << '"';
    }
}

// One million "a", fed in blocks of uneven sizes.
TEST(DigestVectors, MillionTimesAInUnevenBlocks) {
    struct MillionCase {
        std::uint32_t algId;
        const char* digest;
    };
    const MillionCase cases[] = {
        {CALG_MD5, "7707d6ae4e027c70eea2a935c2296f21"},
        {CALG_SHA1, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {CALG_SHA_256, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    const std::vector<char> as(1'000'000, 'a');
    const std::int32_t blockSizes[] = {1, 63, 64, 65, 4095, 65537, 3};
    for (const MillionCase& c : cases) {
        THashContext ctx;
        ASSERT_TRUE(HashInit(ctx, c.algId));
        std::size_t done = 0;
        for (std::size_t i = 0; done < as.size(); ++i) {
            const auto block = std::min<std::size_t>(as.size() - done, blockSizes[i % 7]);
            ASSERT_TRUE(HashUpdate(ctx, as.data() + done, static_cast<std::int32_t>(block)));
            done += block;
        }
        EXPECT_EQ(HashFinal(ctx, false), Widen(c.digest));
    }
}

TEST(DigestVectors, UpperCaseRendering) {
    EXPECT_EQ(DigestOf(CALG_MD5, "abc", true), L"900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(DigestOf(CALG_SHA1, "abc", true), L"A9993E364706816ABA3E25717850C26C9CD0D89D");
}

}  // namespace
