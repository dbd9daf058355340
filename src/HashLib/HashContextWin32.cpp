// MD5, SHA1 and SHA256 through the CryptoAPI with an AES-capable provider.
#include <windows.h>
#include <wincrypt.h>

#include "DigestBackend.h"

namespace {

HCRYPTPROV ProviderOf(const THashContext& ctx) {
    return static_cast<HCRYPTPROV>(ctx.hProv);
}
HCRYPTHASH HashOf(const THashContext& ctx) {
    return static_cast<HCRYPTHASH>(ctx.hHash);
}

// One provider held for the life of the process keeps the provider's module
// loaded, so that the per-file acquire and release of every context does not
// load and unload it each time (tens of milliseconds per file under Wine).
class ProviderKeepAlive {
  public:
    ProviderKeepAlive() {
        if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES,
                                  CRYPT_VERIFYCONTEXT)) {
            provider_ = 0;
        }
    }
    ~ProviderKeepAlive() {
        if (provider_) CryptReleaseContext(provider_, 0);
    }
    ProviderKeepAlive(const ProviderKeepAlive&) = delete;
    ProviderKeepAlive& operator=(const ProviderKeepAlive&) = delete;

  private:
    HCRYPTPROV provider_ = 0;
};

}  // namespace

bool DigestBegin(THashContext& ctx, std::uint32_t algId) {
    ctx.hProv = 0;
    ctx.hHash = 0;
    ctx.HoldsProv = false;
    ctx.HoldsHash = false;

    static const ProviderKeepAlive keepAlive;

    // A checksum uses no keys: a verify-only context needs no key container
    // and works where the user's profile cannot be written.
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        return false;
    }
    ctx.hProv = provider;
    ctx.HoldsProv = true;

    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(provider, static_cast<ALG_ID>(algId), 0, 0, &hash)) {
        return false;
    }
    ctx.hHash = hash;
    ctx.HoldsHash = true;
    return true;
}

bool DigestAdd(THashContext& ctx, const void* data, std::int32_t count) {
    return CryptHashData(HashOf(ctx), static_cast<const BYTE*>(data), static_cast<DWORD>(count),
                         0) != FALSE;
}

bool DigestRead(THashContext& ctx, std::vector<std::uint8_t>& digest) {
    DWORD size = 0;
    if (!CryptGetHashParam(HashOf(ctx), HP_HASHVAL, nullptr, &size, 0)) {
        return false;
    }
    digest.resize(size);
    if (!CryptGetHashParam(HashOf(ctx), HP_HASHVAL, digest.data(), &size, 0)) {
        return false;
    }
    digest.resize(size);
    return true;
}

void DigestRelease(THashContext& ctx) noexcept {
    if (ctx.HoldsHash) {
        CryptDestroyHash(HashOf(ctx));
    }
    if (ctx.HoldsProv) {
        CryptReleaseContext(ProviderOf(ctx), 0);
    }
}
