#include "HashContext.h"

#include <vector>

#include "Crc32.h"
#include "DigestBackend.h"
#include "HexText.h"

namespace {

bool IsServiceAlgorithm(std::uint32_t algId) {
    return algId == CALG_MD5 || algId == CALG_SHA1 || algId == CALG_SHA_256;
}

// Releases the hash object when HashFinal leaves, by return or by an
// exception from the digest buffer or the text.
class ReleaseOnExit {
  public:
    explicit ReleaseOnExit(THashContext& ctx) : ctx_(ctx) {}
    ~ReleaseOnExit() {
        // Finished: nothing is held any more, so nothing can be fed.
        ctx_.hHash.Reset();
        ctx_.hProv = 0;
    }
    ReleaseOnExit(const ReleaseOnExit&) = delete;
    ReleaseOnExit& operator=(const ReleaseOnExit&) = delete;

  private:
    THashContext& ctx_;
};

}  // namespace

bool HashInit(THashContext& ctx, std::uint32_t algId) {
    ctx.HashType = algId;
    if (IsServiceAlgorithm(algId)) {
        return DigestBegin(ctx, algId);
    }
    if (algId == CALG_CRC32) {
        MakeCrc32Table();
        ctx.HashValue = 0;
    }
    return false;
}

bool HashUpdate(THashContext& ctx, const void* data, std::int32_t count) {
    if (IsServiceAlgorithm(ctx.HashType)) {
        if (!ctx.hHash || count < 0 || (data == nullptr && count > 0)) {
            return false;
        }
        return DigestAdd(ctx, data, count);
    }
    if (ctx.HashType == CALG_CRC32) {
        ctx.HashValue = Crc32Update(ctx.HashValue, data, count);
    }
    return false;
}

std::wstring HashFinal(THashContext& ctx, bool upperCase) {
    if (IsServiceAlgorithm(ctx.HashType)) {
        ReleaseOnExit release(ctx);
        std::vector<std::uint8_t> digest;
        if (ctx.hHash && DigestRead(ctx, digest)) {
            return HexDigits(digest, upperCase);
        }
        return {};
    }
    if (ctx.HashType == CALG_CRC32) {
        return HexDigits32(ctx.HashValue, upperCase);
    }
    return {};
}
