// libcrypto stands in for the CryptoAPI: the fetched EVP_MD plays the
// provider, the EVP_MD_CTX the hash object.
#include <openssl/evp.h>

#include <array>
#include <atomic>
#include <utility>

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

// Each algorithm is fetched once and shared by every context for the life of
// the program: a fetch looks the name up in the library's tables, which costs
// more than hashing a small file. A fetched EVP_MD may be used by several
// threads at once.
class SharedDigests {
  public:
    SharedDigests() = default;
    ~SharedDigests() {
        for (std::atomic<EVP_MD*>& md : fetched_) EVP_MD_free(md.load());
    }
    SharedDigests(const SharedDigests&) = delete;
    SharedDigests& operator=(const SharedDigests&) = delete;

    // The algorithm's EVP_MD, fetched on first use; nullptr while it cannot
    // be fetched, in which case the next call tries again.
    EVP_MD* Get(std::uint32_t algId) {
        const char* name = DigestName(algId);
        if (name == nullptr) return nullptr;
        std::atomic<EVP_MD*>& slot = fetched_[SlotOf(algId)];
        if (EVP_MD* md = slot.load(std::memory_order_acquire)) return md;
        EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
        if (md == nullptr) return nullptr;
        EVP_MD* expected = nullptr;
        if (!slot.compare_exchange_strong(expected, md, std::memory_order_acq_rel)) {
            EVP_MD_free(md);  // another thread was first
            return expected;
        }
        return md;
    }

  private:
    static std::size_t SlotOf(std::uint32_t algId) {
        return algId == CALG_MD5 ? 0 : algId == CALG_SHA1 ? 1 : 2;
    }
    std::array<std::atomic<EVP_MD*>, 3> fetched_{};
};

SharedDigests& Digests() {
    static SharedDigests digests;
    return digests;
}
EVP_MD_CTX* HashOf(const THashContext& ctx) {
    return reinterpret_cast<EVP_MD_CTX*>(ctx.hHash.Get());
}

}  // namespace

bool DigestBegin(THashContext& ctx, std::uint32_t algId) {
    ctx.hHash.Reset();
    ctx.hProv = 0;

    EVP_MD* md = Digests().Get(algId);
    if (md == nullptr) {
        return false;
    }
    ctx.hProv = reinterpret_cast<std::uintptr_t>(md);  // shared: not released here

    THashObject hash(reinterpret_cast<std::uintptr_t>(EVP_MD_CTX_new()));
    if (!hash || EVP_DigestInit_ex(reinterpret_cast<EVP_MD_CTX*>(hash.Get()), md, nullptr) != 1) {
        return false;  // a hash object that could not be begun is released here
    }
    ctx.hHash = std::move(hash);
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

void DigestDestroy(std::uintptr_t hash) noexcept {
    EVP_MD_CTX_free(reinterpret_cast<EVP_MD_CTX*>(hash));
}
