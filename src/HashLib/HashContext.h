#pragma once
// One running checksum of one algorithm: MD5, SHA1 and SHA256 through the
// platform's cryptographic service, CRC32 computed here.

#include <cstdint>
#include <string>

#include "Crc32.h"
#include "UniqueAny.h"

#ifdef _WIN32
#include <windows.h>
#include <wincrypt.h>  // CALG_MD5, CALG_SHA1, CALG_SHA_256
#else
constexpr std::uint32_t CALG_MD5 = 0x8003;
constexpr std::uint32_t CALG_SHA1 = 0x8004;
constexpr std::uint32_t CALG_SHA_256 = 0x800C;
#endif
constexpr std::uint32_t CALG_CRC32 = 0x9001;  // our own id, not a platform value

// Releases a hash object of the platform's cryptographic service.
void DigestDestroy(std::uintptr_t hash) noexcept;
using THashObject = UniqueAny<std::uintptr_t, &DigestDestroy>;

// The job owns four of these and begins them again for every file. hProv and
// hHash hold platform handles at the platform's handle width. hProv is the
// provider the hash object was created on, shared by all contexts for the
// life of the program and never released by a context. hHash owns the hash
// object this run obtained, if any: a failed context is never fed, and no
// hash object is released twice or left behind.
struct THashContext {
    std::uintptr_t hProv = 0;
    THashObject hHash;
    std::uint32_t HashType = 0;
    std::uint32_t HashValue = 0;
};

// Begins the context for algId. True only when a service hash object was
// created: CRC32 gives false although the context is ready, any other id
// gives false and a context that yields no digest. Every begin with a service
// id must be matched by HashFinal, the only operation that releases handles.
bool HashInit(THashContext& ctx, std::uint32_t algId);

// Adds count bytes. True only when the service took them; a CRC32 context
// gives false although the bytes were added.
bool HashUpdate(THashContext& ctx, const void* data, std::int32_t count);

// Finishes the context and returns the digest as hex digits (upper or lower
// case), or the empty text for a failed context or an unknown id. Releases
// the hash object on every path.
std::wstring HashFinal(THashContext& ctx, bool upperCase);
