#pragma once
// The platform's cryptographic service behind the MD5, SHA1 and SHA256
// contexts: the CryptoAPI on Windows, libcrypto elsewhere, each also with its
// DigestDestroy (HashContext.h).

#include <cstdint>
#include <vector>

#include "HashContext.h"

// Releases what the context holds, then creates a hash object for algId on
// the shared provider, obtaining that on first use. Returns true only when
// the hash object was created; whatever was obtained is recorded in the
// context.
bool DigestBegin(THashContext& ctx, std::uint32_t algId);

// Adds count bytes to the held hash object; true when the service took them.
bool DigestAdd(THashContext& ctx, const void* data, std::int32_t count);

// Reads the digest of the held hash object; false when the service fails.
bool DigestRead(THashContext& ctx, std::vector<std::uint8_t>& digest);
