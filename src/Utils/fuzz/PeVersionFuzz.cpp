// libFuzzer entry: the PE version reader over arbitrary bytes. Besides never
// reading outside them (the sanitizers watch that), a version it reports
// must come from data that really holds the version key followed, after its
// padding, by the signature of the fixed file information.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <span>

#include "PeVersionReader.h"

namespace {

// "VS_VERSION_INFO" in UTF-16LE with its terminator.
const std::uint8_t kVersionKey[] = {'V', 0, 'S', 0, '_', 0, 'V', 0, 'E', 0, 'R', 0, 'S', 0, 'I', 0,
                                    'O', 0, 'N', 0, '_', 0, 'I', 0, 'N', 0, 'F', 0, 'O', 0, 0,   0};
const std::uint8_t kSignature[] = {0xBD, 0x04, 0xEF, 0xFE};  // 0xFEEF04BD
constexpr std::size_t kPadding = 2;

bool HoldsSignedVersionBlock(std::span<const std::uint8_t> bytes) {
    auto at = bytes.begin();
    while ((at = std::search(at, bytes.end(), std::begin(kVersionKey), std::end(kVersionKey))) !=
           bytes.end()) {
        const auto signatureStart =
            static_cast<std::size_t>(at - bytes.begin()) + sizeof kVersionKey + kPadding;
        if (signatureStart + sizeof kSignature <= bytes.size() &&
            std::equal(std::begin(kSignature), std::end(kSignature),
                       bytes.begin() + static_cast<std::ptrdiff_t>(signatureStart))) {
            return true;
        }
        ++at;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (ReadPeFileVersion(bytes) && !HoldsSignedVersionBlock(bytes)) {
        std::abort();
    }
    return 0;
}
