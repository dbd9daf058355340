// The processor check, through a fake of cpuid's and XGETBV's answers: a
// routine is chosen only when the processor has its instructions and the
// system saves its registers.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include "Crc32Routine.h"
#include "ProcessorFeatures.h"

namespace {

constexpr std::uint32_t kPclmul = 1u << 1;  // leaf 1 ECX
constexpr std::uint32_t kOsxsave = 1u << 27;
constexpr std::uint32_t kAvx = 1u << 28;
constexpr std::uint32_t kAvx2 = 1u << 5;  // leaf 7 EBX
constexpr std::uint32_t kAvx512F = 1u << 16;
constexpr std::uint32_t kVpclmul = 1u << 10;  // leaf 7 ECX
constexpr std::uint64_t kYmm = 0x7;           // x87, SSE, AVX
constexpr std::uint64_t kZmm = 0xE7;          // and the three AVX-512 parts

struct Answers {
    std::uint32_t maxLeaf = 0;
    std::uint32_t leaf1Ecx = 0;
    std::uint32_t leaf7Ebx = 0;
    std::uint32_t leaf7Ecx = 0;
    std::uint64_t savedState = 0;
};

class FakeProcessor final : public ProcessorQuery {
  public:
    explicit FakeProcessor(Answers answers) : answers_(answers) {}

    CpuidRegisters Cpuid(std::uint32_t leaf, std::uint32_t subleaf) const override {
        CpuidRegisters r;
        // A leaf beyond the highest gives another leaf's answer on real
        // processors: here the bits of leaf 7 all set, to be ignored.
        if (leaf > answers_.maxLeaf) {
            r.ebx = r.ecx = 0xFFFFFFFFu;
        } else if (leaf == 0) {
            r.eax = answers_.maxLeaf;
        } else if (leaf == 1) {
            r.ecx = answers_.leaf1Ecx;
        } else if (leaf == 7 && subleaf == 0) {
            r.ebx = answers_.leaf7Ebx;
            r.ecx = answers_.leaf7Ecx;
        }
        return r;
    }

    std::uint64_t SavedStateMask() const override {
        // XGETBV faults unless the system has enabled it (OSXSAVE).
        EXPECT_NE(answers_.leaf1Ecx & kOsxsave, 0u) << "XGETBV without OSXSAVE";
        return answers_.savedState;
    }

  private:
    Answers answers_;
};

struct Case {
    const char* processor;
    Answers answers;
    bool clmul128;
    bool clmul256;
    bool clmul512;
    Crc32Routine fastest;
};

constexpr std::uint32_t kVectorOs = kOsxsave | kAvx;

const Case kCases[] = {
    {"no leaf 1", {0, 0, 0, 0, 0}, false, false, false, Crc32Routine::Table},
    {"no PCLMULQDQ",
     {7, kVectorOs, kAvx2 | kAvx512F, kVpclmul, kZmm},
     false,
     true,
     true,
     Crc32Routine::Table},
    {"PCLMULQDQ only", {1, kPclmul, 0, 0, 0}, true, false, false, Crc32Routine::Fold128},
    {"leaf 7 missing",
     {6, kPclmul | kVectorOs, 0, 0, kZmm},
     true,
     false,
     false,
     Crc32Routine::Fold128},
    {"AVX2 without VPCLMULQDQ",
     {7, kPclmul | kVectorOs, kAvx2, 0, kYmm},
     true,
     false,
     false,
     Crc32Routine::Fold128},
    {"VPCLMULQDQ, system without XSAVE",
     {7, kPclmul | kAvx, kAvx2 | kAvx512F, kVpclmul, 0},
     true,
     false,
     false,
     Crc32Routine::Fold128},
    {"VPCLMULQDQ, AVX off",
     {7, kPclmul | kOsxsave, kAvx2, kVpclmul, kYmm},
     true,
     false,
     false,
     Crc32Routine::Fold128},
    {"VPCLMULQDQ and AVX2",
     {7, kPclmul | kVectorOs, kAvx2, kVpclmul, kYmm},
     true,
     true,
     false,
     Crc32Routine::Fold256},
    {"AVX2 registers not saved",
     {7, kPclmul | kVectorOs, kAvx2, kVpclmul, 0x3},
     true,
     false,
     false,
     Crc32Routine::Fold128},
    {"AVX-512 registers not saved",
     {7, kPclmul | kVectorOs, kAvx2 | kAvx512F, kVpclmul, kYmm},
     true,
     true,
     false,
     Crc32Routine::Fold256},
    {"AVX-512 without AVX2",
     {7, kPclmul | kVectorOs, kAvx512F, kVpclmul, kZmm},
     true,
     false,
     true,
     Crc32Routine::Fold512},
    {"AVX-512 and VPCLMULQDQ",
     {7, kPclmul | kVectorOs, kAvx2 | kAvx512F, kVpclmul, kZmm},
     true,
     true,
     true,
     Crc32Routine::Fold512},
};

TEST(ProcessorFeatures, TheFakeProcessorsAnswersChooseTheRoutine) {
    for (const Case& c : kCases) {
        const ProcessorFeatures features = ReadProcessorFeatures(FakeProcessor(c.answers));
        EXPECT_EQ(features.clmul128, c.clmul128) << c.processor;
        EXPECT_EQ(features.clmul256, c.clmul256) << c.processor;
        EXPECT_EQ(features.clmul512, c.clmul512) << c.processor;
        EXPECT_EQ(FastestCrc32Routine(features), c.fastest) << c.processor;
        EXPECT_TRUE(ProcessorRuns(features, Crc32Routine::Table)) << c.processor;
        EXPECT_EQ(ProcessorRuns(features, Crc32Routine::Fold128), c.clmul128) << c.processor;
    }
}

#ifdef __linux__
// The real cpuid against the flags the kernel reports, which it shows for the
// vector extensions only when it saves their registers.
TEST(ProcessorFeatures, TheRunningProcessorAgreesWithTheKernel) {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
    }
    if (line.empty()) {
        GTEST_SKIP() << "no flags in /proc/cpuinfo";
    }
    std::istringstream words(line.substr(line.find(':') + 1));
    std::map<std::string, bool> flags;
    for (std::string word; words >> word;) {
        flags[word] = true;
    }
    const ProcessorFeatures features = ReadProcessorFeatures(RunningProcessor());
    EXPECT_EQ(features.clmul128, flags["pclmulqdq"]);
    EXPECT_EQ(features.clmul256, flags["vpclmulqdq"] && flags["avx2"]);
    EXPECT_EQ(features.clmul512, flags["vpclmulqdq"] && flags["avx512f"]);
}
#endif

}  // namespace
