// CRC-32 by folding with carry-less multiplication. The data, taken as a
// polynomial over GF(2), is multiplied forward by powers of x modulo the CRC
// polynomial P, 16 bytes (a lane) at a time, until one lane is left that is
// congruent to everything folded into it; that lane's CRC from a zero
// register, by the table routine, is the CRC register of the whole, and the
// table routine goes on over the tail.
//
// Bit order, as in the table routine, is the reflected one: a lane loaded
// little-endian holds in bit i the coefficient of x^(127 - i), counted from
// the lane's end. Moving a lane D bits forward multiplies its low half L by
// x^(64 + D) and its high half H by x^D, modulo P. PCLMULQDQ multiplies a
// half by a constant holding a reflected 32-bit remainder; read in the lane's
// order the product carries an extra factor x^33, so the constants are
// x^(D + 31) and x^(D - 33) modulo P. The wider routines fold several lanes
// side by side with the same constants.
//
// Each routine carries its own instruction set in a target attribute, so the
// program runs on every x86-64 processor and uses a routine only after the
// processor check has chosen it.
#include "Crc32Fold.h"

#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86)
#include <immintrin.h>
#define VARUDODI_FOLD 1
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#define FOLD_ROUTINE(features)
#define FOLD_STEP(features) __forceinline
#else
#define FOLD_ROUTINE(features) __attribute__((target(features)))
// Always inlined: a wide vector passed to a call would go through the stack,
// which the Windows x64 ABI aligns to 16 bytes only.
#define FOLD_STEP(features) __attribute__((target(features), always_inline)) inline
#endif

#define FOLD_128 "pclmul"
#define FOLD_256 "pclmul,avx2,vpclmulqdq"
#define FOLD_512 "pclmul,avx512f,vpclmulqdq"

#ifdef VARUDODI_FOLD

namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;

// x^n modulo P, reflected (bit 31 is x^0), as the low half of a 64-bit value.
constexpr std::uint64_t XPowerModP(unsigned n) {
    std::uint32_t r = 0x80000000u;
    for (unsigned i = 0; i < n; ++i) {
        r = (r & 1u) ? (r >> 1) ^ kReflectedPolynomial : r >> 1;
    }
    return r;
}

// The multipliers that move a lane `bits` forward: for its low and high half.
struct FoldDistance {
    std::uint64_t low;
    std::uint64_t high;
};

constexpr FoldDistance Distance(unsigned bits) {
    return {XPowerModP(bits + 31), XPowerModP(bits - 33)};
}

constexpr FoldDistance kOneLane = Distance(128);
constexpr FoldDistance kTwoLanes = Distance(256);
constexpr FoldDistance kFourLanes = Distance(512);
constexpr FoldDistance kEightLanes = Distance(1024);
constexpr FoldDistance kSixteenLanes = Distance(2048);

// Below these sizes a routine hands over to the next narrower one; the
// narrowest hands over to the table.
constexpr std::size_t kFold128Minimum = 64;
constexpr std::size_t kFold256Minimum = 128;
constexpr std::size_t kFold512Minimum = 256;

FOLD_STEP(FOLD_128) __m128i Multipliers128(FoldDistance d) {
    return _mm_set_epi64x(static_cast<long long>(d.high), static_cast<long long>(d.low));
}

FOLD_STEP(FOLD_128) __m128i Load128(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// `lane` moved forward onto `next`.
FOLD_STEP(FOLD_128) __m128i Fold(__m128i lane, __m128i multipliers, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(lane, multipliers, 0x00),
                                       _mm_clmulepi64_si128(lane, multipliers, 0x11)),
                         next);
}

// Folds the last lane over the whole lanes that remain, reduces it with the
// table routine and continues that over the tail.
FOLD_STEP(FOLD_128)
std::uint32_t FinishLane(__m128i lane, const unsigned char* p, std::size_t remaining) {
    const __m128i oneLane = Multipliers128(kOneLane);
    for (; remaining >= 16; p += 16, remaining -= 16) {
        lane = Fold(lane, oneLane, Load128(p));
    }
    unsigned char bytes[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), lane);
    // From a zero register: the complement of 0xFFFFFFFF.
    const std::uint32_t crc = Crc32ByTable(0xFFFFFFFFu, bytes, sizeof bytes);
    return Crc32ByTable(crc, p, remaining);
}

// Four lanes one after the other folded into the last.
FOLD_STEP(FOLD_128)
__m128i JoinFourLanes(__m128i x0, __m128i x1, __m128i x2, __m128i x3) {
    const __m128i oneLane = Multipliers128(kOneLane);
    x1 = Fold(x0, oneLane, x1);
    x2 = Fold(x1, oneLane, x2);
    return Fold(x2, oneLane, x3);
}

FOLD_ROUTINE(FOLD_128)
std::uint32_t Fold128(std::uint32_t crc, const unsigned char* p, std::size_t count) {
    // The CRC so far enters as the first four bytes' complement.
    __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(~crc)));
    __m128i x1 = Load128(p + 16);
    __m128i x2 = Load128(p + 32);
    __m128i x3 = Load128(p + 48);
    p += 64;
    count -= 64;
    const __m128i fourLanes = Multipliers128(kFourLanes);
    for (; count >= 64; p += 64, count -= 64) {
        x0 = Fold(x0, fourLanes, Load128(p));
        x1 = Fold(x1, fourLanes, Load128(p + 16));
        x2 = Fold(x2, fourLanes, Load128(p + 32));
        x3 = Fold(x3, fourLanes, Load128(p + 48));
    }
    return FinishLane(JoinFourLanes(x0, x1, x2, x3), p, count);
}

FOLD_STEP(FOLD_256) __m256i Load256(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

FOLD_STEP(FOLD_256) __m256i Multipliers256(FoldDistance d) {
    return _mm256_broadcastsi128_si256(Multipliers128(d));
}

FOLD_STEP(FOLD_256) __m256i Fold(__m256i lanes, __m256i multipliers, __m256i next) {
    return _mm256_xor_si256(_mm256_xor_si256(_mm256_clmulepi64_epi128(lanes, multipliers, 0x00),
                                             _mm256_clmulepi64_epi128(lanes, multipliers, 0x11)),
                            next);
}

FOLD_ROUTINE(FOLD_256)
std::uint32_t Fold256(std::uint32_t crc, const unsigned char* p, std::size_t count) {
    __m256i y0 =
        _mm256_xor_si256(Load256(p), _mm256_set_epi32(0, 0, 0, 0, 0, 0, 0, static_cast<int>(~crc)));
    __m256i y1 = Load256(p + 32);
    __m256i y2 = Load256(p + 64);
    __m256i y3 = Load256(p + 96);
    p += 128;
    count -= 128;
    const __m256i eightLanes = Multipliers256(kEightLanes);
    for (; count >= 128; p += 128, count -= 128) {
        y0 = Fold(y0, eightLanes, Load256(p));
        y1 = Fold(y1, eightLanes, Load256(p + 32));
        y2 = Fold(y2, eightLanes, Load256(p + 64));
        y3 = Fold(y3, eightLanes, Load256(p + 96));
    }
    const __m256i twoLanes = Multipliers256(kTwoLanes);
    y1 = Fold(y0, twoLanes, y1);
    y2 = Fold(y1, twoLanes, y2);
    y3 = Fold(y2, twoLanes, y3);
    for (; count >= 32; p += 32, count -= 32) {
        y3 = Fold(y3, twoLanes, Load256(p));
    }
    const __m128i last =
        Fold(_mm256_castsi256_si128(y3), Multipliers128(kOneLane), _mm256_extracti128_si256(y3, 1));
    return FinishLane(last, p, count);
}

FOLD_STEP(FOLD_512) __m512i Load512(const unsigned char* p) {
    return _mm512_loadu_si512(p);
}

FOLD_STEP(FOLD_512) __m512i Multipliers512(FoldDistance d) {
    // The masked forms here and below: the unmasked ones trip GCC 12's
    // uninitialized-value warning inside its own header.
    return _mm512_maskz_broadcast_i32x4(0xFFFF, Multipliers128(d));
}

FOLD_STEP(FOLD_512) __m512i Fold(__m512i lanes, __m512i multipliers, __m512i next) {
    // 0x96: the exclusive or of all three.
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(lanes, multipliers, 0x00),
                                     _mm512_clmulepi64_epi128(lanes, multipliers, 0x11), next,
                                     0x96);
}

FOLD_ROUTINE(FOLD_512)
std::uint32_t Fold512(std::uint32_t crc, const unsigned char* p, std::size_t count) {
    __m512i z0 = _mm512_xor_si512(Load512(p), _mm512_maskz_set1_epi32(1, static_cast<int>(~crc)));
    __m512i z1 = Load512(p + 64);
    __m512i z2 = Load512(p + 128);
    __m512i z3 = Load512(p + 192);
    p += 256;
    count -= 256;
    const __m512i sixteenLanes = Multipliers512(kSixteenLanes);
    for (; count >= 256; p += 256, count -= 256) {
        z0 = Fold(z0, sixteenLanes, Load512(p));
        z1 = Fold(z1, sixteenLanes, Load512(p + 64));
        z2 = Fold(z2, sixteenLanes, Load512(p + 128));
        z3 = Fold(z3, sixteenLanes, Load512(p + 192));
    }
    const __m512i fourLanes = Multipliers512(kFourLanes);
    z1 = Fold(z0, fourLanes, z1);
    z2 = Fold(z1, fourLanes, z2);
    z3 = Fold(z2, fourLanes, z3);
    for (; count >= 64; p += 64, count -= 64) {
        z3 = Fold(z3, fourLanes, Load512(p));
    }
    const __m128i last = JoinFourLanes(
        _mm512_maskz_extracti32x4_epi32(0xF, z3, 0), _mm512_maskz_extracti32x4_epi32(0xF, z3, 1),
        _mm512_maskz_extracti32x4_epi32(0xF, z3, 2), _mm512_maskz_extracti32x4_epi32(0xF, z3, 3));
    return FinishLane(last, p, count);
}

}  // namespace

std::uint32_t Crc32ByFold128(std::uint32_t crc, const unsigned char* data, std::size_t count) {
    return count >= kFold128Minimum ? Fold128(crc, data, count) : Crc32ByTable(crc, data, count);
}

std::uint32_t Crc32ByFold256(std::uint32_t crc, const unsigned char* data, std::size_t count) {
    return count >= kFold256Minimum ? Fold256(crc, data, count) : Crc32ByFold128(crc, data, count);
}

std::uint32_t Crc32ByFold512(std::uint32_t crc, const unsigned char* data, std::size_t count) {
    return count >= kFold512Minimum ? Fold512(crc, data, count) : Crc32ByFold128(crc, data, count);
}

#else  // no carry-less multiplication on this processor family

std::uint32_t Crc32ByFold128(std::uint32_t crc, const unsigned char* data, std::size_t count) {
    return Crc32ByTable(crc, data, count);
}

std::uint32_t Crc32ByFold256(std::uint32_t crc, const unsigned char* data, std::size_t count) {
    return Crc32ByTable(crc, data, count);
}

std::uint32_t Crc32ByFold512(std::uint32_t crc, const unsigned char* data, std::size_t count) {
    return Crc32ByTable(crc, data, count);
}

#endif
