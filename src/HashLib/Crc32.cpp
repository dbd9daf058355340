#include "Crc32.h"

#include <array>
#include <bit>
#include <cstring>
#include <mutex>

#include "Crc32Fold.h"
#include "Crc32Routine.h"

std::uint32_t Crc32Table[8][256] = {};

namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;

void BuildTables() {
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) ? (c >> 1) ^ kReflectedPolynomial : c >> 1;
        }
        Crc32Table[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = Crc32Table[0][i];
        for (int table = 1; table < 8; ++table) {
            c = (c >> 8) ^ Crc32Table[0][c & 0xFFu];
            Crc32Table[table][i] = c;
        }
    }
}

std::uint32_t ByteStep(std::uint32_t c, unsigned char byte) {
    return Crc32Table[0][(c ^ byte) & 0xFFu] ^ (c >> 8);
}

// The next four bytes as one little-endian word. p is 4-aligned; memcpy keeps
// the read free of aliasing questions and compiles to a single load.
std::uint32_t LittleEndianWord(const unsigned char* p) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = (word >> 24) | ((word >> 8) & 0xFF00u) | ((word << 8) & 0xFF0000u) | (word << 24);
    }
    return word;
}

// The CRC as a polynomial over GF(2), in the reflected bit order of the
// table: the top bit is x^0. Appending n zero bytes to a block multiplies
// its CRC register by x^(8n) modulo the polynomial, which is how two CRCs
// combine.
constexpr std::uint32_t kXPower0 = 0x80000000u;

constexpr std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b) {
    std::uint32_t product = 0;
    for (std::uint32_t bit = kXPower0; bit != 0; bit >>= 1) {
        if ((a & bit) != 0) {
            product ^= b;
        }
        b = (b & 1u) ? (b >> 1) ^ kReflectedPolynomial : b >> 1;
    }
    return product;
}

// x^(2^k) modulo the polynomial, k from 0 to 31; they repeat with period 32,
// since the order of x divides 2^32 - 1.
constexpr auto kXPowersOfTwo = [] {
    std::array<std::uint32_t, 32> powers{};
    std::uint32_t p = kXPower0 >> 1;  // x^1
    for (std::uint32_t& power : powers) {
        power = p;
        p = MultiplyModP(p, p);
    }
    return powers;
}();

// x^(8 * bytes) modulo the polynomial.
std::uint32_t XPowerOfBytes(std::uint64_t bytes) {
    std::uint32_t result = kXPower0;
    for (std::size_t k = 3; bytes != 0; ++k, bytes >>= 1) {
        if ((bytes & 1u) != 0) {
            result = MultiplyModP(kXPowersOfTwo[k % kXPowersOfTwo.size()], result);
        }
    }
    return result;
}

}  // namespace

void MakeCrc32Table() {
    // Rewriting the shared tables while another thread reads them would be a
    // data race even with identical values, so they are written exactly once.
    static std::once_flag built;
    std::call_once(built, BuildTables);
}

std::uint32_t Crc32ByTable(std::uint32_t crc, const unsigned char* data, std::size_t count) {
    std::uint32_t c = ~crc;
    const unsigned char* p = data;
    std::size_t remaining = count;

    while (remaining > 0 && reinterpret_cast<std::uintptr_t>(p) % 4 != 0) {
        c = ByteStep(c, *p++);
        --remaining;
    }
    while (remaining >= 4) {
        c ^= LittleEndianWord(p);
        c = Crc32Table[3][c & 0xFFu] ^ Crc32Table[2][(c >> 8) & 0xFFu] ^
            Crc32Table[1][(c >> 16) & 0xFFu] ^ Crc32Table[0][c >> 24];
        p += 4;
        remaining -= 4;
    }
    while (remaining > 0) {
        c = ByteStep(c, *p++);
        --remaining;
    }
    return ~c;
}

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::int32_t count) {
    if (data == nullptr || count <= 0) {
        return crc;
    }
    return Crc32UpdateWith(Crc32ActiveRoutine(), crc, data, static_cast<std::size_t>(count));
}

std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
    return MultiplyModP(XPowerOfBytes(secondLength), first) ^ second;
}
