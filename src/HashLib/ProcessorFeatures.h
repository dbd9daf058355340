#pragma once
// What the processor offers the CRC-32 routines, read from cpuid and, for
// the vector registers, from the system's saved-state mask (XGETBV). The
// answers come through ProcessorQuery so that tests can give any processor's.

#include <cstdint>

struct CpuidRegisters {
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

class ProcessorQuery {
  public:
    virtual ~ProcessorQuery() = default;
    virtual CpuidRegisters Cpuid(std::uint32_t leaf, std::uint32_t subleaf) const = 0;
    // XCR0: the register states the system saves across thread switches.
    // Asked only when cpuid reports OSXSAVE.
    virtual std::uint64_t SavedStateMask() const = 0;
};

// The processor this program runs on; on a processor other than x86 every
// answer is zero.
const ProcessorQuery& RunningProcessor();

struct ProcessorFeatures {
    bool clmul128 = false;  // PCLMULQDQ on 128-bit registers
    bool clmul256 = false;  // VPCLMULQDQ with AVX2 on 256-bit registers
    bool clmul512 = false;  // VPCLMULQDQ with AVX-512F on 512-bit registers
};

// A feature counts only when the system also saves the registers it uses.
ProcessorFeatures ReadProcessorFeatures(const ProcessorQuery& processor);
