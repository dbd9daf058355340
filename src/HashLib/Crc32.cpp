#include "Crc32.h"

#include <bit>
#include <cstring>
#include <mutex>

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

}  // namespace

void MakeCrc32Table() {
    // Rewriting the shared tables while another thread reads them would be a
    // data race even with identical values, so they are written exactly once.
    static std::once_flag built;
    std::call_once(built, BuildTables);
}

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::int32_t count) {
    if (data == nullptr || count <= 0) {
        return crc;
    }
    std::uint32_t c = ~crc;
    const auto* p = static_cast<const unsigned char*>(data);
    auto remaining = static_cast<std::uint32_t>(count);

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
