// libcrypto stands in for the CryptoAPI: the fetched EVP_MD plays the
// provider, the EVP_MD_CTX the hash object.
#include <openssl/evp.h>

#include "DigestBackend.h"

namespace {

const char* DigestName(std::uint32_t algId) {
    switch (algId) {
        case CALG_MD5:
            return "MD5";
        case CALG_SHA1:
            return "SHA1";
        case CALG_SHA_256:
            return "SHA256";
        default:
            return nullptr;
    }
}

EVP_MD* ProviderOf(const THashContext& ctx) {
    return reinterpret_cast<EVP_MD*>(ctx.hProv);
}
EVP_MD_CTX* HashOf(const THashContext& ctx) {
    return reinterpret_cast<EVP_MD_CTX*>(ctx.hHash);
}

}  // namespace

bool DigestBegin(THashContext& ctx, std::uint32_t algId) {
    ctx.hProv = 0;
    ctx.hHash = 0;
    ctx.HoldsProv = false;
    ctx.HoldsHash = false;

    const char* name = DigestName(algId);
    EVP_MD* md = name != nullptr ? EVP_MD_fetch(nullptr, name, nullptr) : nullptr;
    if (md == nullptr) {
        return false;
    }
    ctx.hProv = reinterpret_cast<std::uintptr_t>(md);
    ctx.HoldsProv = true;

    EVP_MD_CTX* hash = EVP_MD_CTX_new();
    if (hash == nullptr) {
        return false;
    }
    if (EVP_DigestInit_ex(hash, md, nullptr) != 1) {
        EVP_MD_CTX_free(hash);
        return false;
    }
    ctx.hHash = reinterpret_cast<std::uintptr_t>(hash);
    ctx.HoldsHash = true;
    return true;
}

bool DigestAdd(THashContext& ctx, const void* data, std::int32_t count) {
    return EVP_DigestUpdate(HashOf(ctx), data, static_cast<std::size_t>(count)) == 1;
}

bool DigestRead(THashContext& ctx, std::vector<std::uint8_t>& digest) {
    const int size = EVP_MD_CTX_get_size(HashOf(ctx));
    if (size <= 0) {
        return false;
    }
    digest.resize(static_cast<std::size_t>(size));
    unsigned int written = 0;
    if (EVP_DigestFinal_ex(HashOf(ctx), digest.data(), &written) != 1) {
        return false;
    }
    digest.resize(written);
    return true;
}

void DigestRelease(THashContext& ctx) noexcept {
    if (ctx.HoldsHash) {
        EVP_MD_CTX_free(HashOf(ctx));
    }
    if (ctx.HoldsProv) {
        EVP_MD_free(ProviderOf(ctx));
    }
}
