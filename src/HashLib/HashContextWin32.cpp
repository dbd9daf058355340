// MD5, SHA1 and SHA256 through the CryptoAPI with an AES-capable provider.
#include <windows.h>
#include <wincrypt.h>

#include <atomic>

#include "DigestBackend.h"

namespace {

HCRYPTHASH HashOf(const THashContext& ctx) {
    return static_cast<HCRYPTHASH>(ctx.hHash.Get());
}

// A checksum uses no keys: a verify-only provider needs no key container and
// works where the user's profile cannot be written. One provider serves every
// context for the life of the program, so a file costs no acquisition (about
// half a millisecond each under Wine). Providers are thread-safe for hashing
// on separate hash objects ("Threading Issues with Cryptographic Service
// Providers"), and each context creates its own hash object.
class SharedProvider {
  public:
    SharedProvider() = default;
    ~SharedProvider() {
        if (const HCRYPTPROV provider = provider_.load()) CryptReleaseContext(provider, 0);
    }
    SharedProvider(const SharedProvider&) = delete;
    SharedProvider& operator=(const SharedProvider&) = delete;

    // The provider, acquired on first use; 0 while it cannot be acquired, in
    // which case the next call tries again.
    HCRYPTPROV Get() {
        if (const HCRYPTPROV provider = provider_.load(std::memory_order_acquire)) {
            return provider;
        }
        HCRYPTPROV acquired = 0;
        if (!CryptAcquireContextA(&acquired, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
            return 0;
        }
        HCRYPTPROV expected = 0;
        if (!provider_.compare_exchange_strong(expected, acquired, std::memory_order_acq_rel)) {
            CryptReleaseContext(acquired, 0);  // another thread was first
            return expected;
        }
        return acquired;
    }

  private:
    std::atomic<HCRYPTPROV> provider_{0};
};

SharedProvider& Provider() {
    static SharedProvider provider;
    return provider;
}

}  // namespace

bool DigestBegin(THashContext& ctx, std::uint32_t algId) {
    ctx.hHash.Reset();
    ctx.hProv = 0;

    const HCRYPTPROV provider = Provider().Get();
    if (provider == 0) {
        return false;
    }
    ctx.hProv = provider;  // shared: the context does not release it

    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(provider, static_cast<ALG_ID>(algId), 0, 0, &hash)) {
        return false;
    }
    ctx.hHash.Reset(hash);
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

void DigestDestroy(std::uintptr_t hash) noexcept {
    CryptDestroyHash(static_cast<HCRYPTHASH>(hash));  // a release: never reported
}
