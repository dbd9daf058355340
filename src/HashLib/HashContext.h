#pragma once
// One running checksum of one algorithm: MD5, SHA1 and SHA256 through the
// platform's cryptographic service, CRC32 computed here.

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <wincrypt.h>  // CALG_MD5, CALG_SHA1, CALG_SHA_256
#else
constexpr std::uint32_t CALG_MD5 = 0x8003;
constexpr std::uint32_t CALG_SHA1 = 0x8004;
constexpr std::uint32_t CALG_SHA_256 = 0x800C;
#endif
constexpr std::uint32_t CALG_CRC32 = 0x9001;  // our own id, not a platform value

// A plain value record: the job owns four of them and begins them again for
// every file. hProv and hHash hold platform handles at the platform's handle
// width; the Holds flags record which of them this run actually obtained, so
// that a failed context is never fed or released twice.
struct THashContext {
    std::uintptr_t hProv = 0;
    std::uintptr_t hHash = 0;
    std::uint32_t HashType = 0;
    std::uint32_t HashValue = 0;
    bool HoldsProv = false;
    bool HoldsHash = false;
};

bool HashInit(THashContext& ctx, std::uint32_t algId);
bool HashUpdate(THashContext& ctx, const void* data, std::int32_t count);
std::wstring HashFinal(THashContext& ctx, bool upperCase);
