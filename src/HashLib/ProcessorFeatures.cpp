#include "ProcessorFeatures.h"

#if defined(_MSC_VER)
#include <immintrin.h>
#include <intrin.h>
#define VARUDODI_X86 1
#elif defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define VARUDODI_X86 1
#endif

namespace {

// cpuid leaf 1, ECX.
constexpr std::uint32_t kPclmulqdq = 1u << 1;
constexpr std::uint32_t kOsxsave = 1u << 27;
constexpr std::uint32_t kAvx = 1u << 28;
// cpuid leaf 7 subleaf 0, EBX and ECX.
constexpr std::uint32_t kAvx2 = 1u << 5;
constexpr std::uint32_t kAvx512F = 1u << 16;
constexpr std::uint32_t kVpclmulqdq = 1u << 10;
// XCR0: SSE and AVX state; AVX-512's opmask, upper ZMM0-15 and ZMM16-31.
constexpr std::uint64_t kYmmState = 0x6;
constexpr std::uint64_t kZmmState = 0xE6;

bool Has(std::uint64_t bits, std::uint64_t wanted) {
    return (bits & wanted) == wanted;
}

class SystemProcessor final : public ProcessorQuery {
  public:
    CpuidRegisters Cpuid(std::uint32_t leaf, std::uint32_t subleaf) const override {
        CpuidRegisters r;
#if defined(_MSC_VER)
        int values[4] = {};
        __cpuidex(values, static_cast<int>(leaf), static_cast<int>(subleaf));
        r = {static_cast<std::uint32_t>(values[0]), static_cast<std::uint32_t>(values[1]),
             static_cast<std::uint32_t>(values[2]), static_cast<std::uint32_t>(values[3])};
#elif defined(VARUDODI_X86)
        __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#else
        (void)leaf;
        (void)subleaf;
#endif
        return r;
    }

    std::uint64_t SavedStateMask() const override {
#if defined(_MSC_VER)
        return _xgetbv(0);
#elif defined(VARUDODI_X86)
        // XGETBV by its bytes: the intrinsic would need the XSAVE target.
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(low), "=d"(high) : "c"(0));
        return (std::uint64_t{high} << 32) | low;
#else
        return 0;
#endif
    }
};

}  // namespace

const ProcessorQuery& RunningProcessor() {
    static const SystemProcessor processor;
    return processor;
}

ProcessorFeatures ReadProcessorFeatures(const ProcessorQuery& processor) {
    ProcessorFeatures features;
    const std::uint32_t maxLeaf = processor.Cpuid(0, 0).eax;
    if (maxLeaf < 1) {
        return features;
    }
    const std::uint32_t leaf1 = processor.Cpuid(1, 0).ecx;
    features.clmul128 = Has(leaf1, kPclmulqdq);
    if (maxLeaf < 7 || !Has(leaf1, kOsxsave | kAvx)) {
        return features;
    }
    const CpuidRegisters leaf7 = processor.Cpuid(7, 0);
    if (!Has(leaf7.ecx, kVpclmulqdq)) {
        return features;
    }
    const std::uint64_t saved = processor.SavedStateMask();
    features.clmul256 = Has(leaf7.ebx, kAvx2) && Has(saved, kYmmState);
    features.clmul512 = Has(leaf7.ebx, kAvx512F) && Has(saved, kZmmState);
    return features;
}
