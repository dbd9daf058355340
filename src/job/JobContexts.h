#pragma once
// The hash contexts of the selected algorithms, one set per thread that
// hashes whole files: begun for a file, fed its content, finished into the
// digest lines of its block, in the order of the report.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "HashContext.h"
#include "JobWindow.h"  // JobOptions

class JobContexts {
  public:
    explicit JobContexts(const JobOptions& options);
    // Its table of algorithms refers to its own contexts and flags.
    JobContexts(const JobContexts&) = delete;
    JobContexts& operator=(const JobContexts&) = delete;

    bool AnyCalc() const;
    // Begins every selected context; the span of them, in report order.
    std::span<THashContext* const> Begin();
    // Finishes the begun contexts and appends a digest line for each.
    void AppendDigestLines(std::wstring& text, bool upperCase);
    // Ends the begun contexts without lines: their data was not the file's.
    // Whoever began them ends them, also when a failure unwinds.
    void Discard();

  private:
    // One algorithm of the report: its id, its name in the digest line, its
    // context and whether it was selected.
    struct Algorithm {
        std::uint32_t id;
        const wchar_t* name;
        THashContext& context;
        const bool& selected;
    };

    // Finishes every begun context; the digests in the order of algorithms_.
    std::array<std::wstring, 4> Finish(bool upperCase);

    THashContext Md5Ctx;
    THashContext Sha1Ctx;
    THashContext Sha256Ctx;
    THashContext Crc32Ctx;
    const bool CalcMD5;
    const bool CalcSHA1;
    const bool CalcSHA256;
    const bool CalcCRC32;

    const std::array<Algorithm, 4> algorithms_{{
        {CALG_MD5, L"MD5", Md5Ctx, CalcMD5},
        {CALG_SHA1, L"SHA1", Sha1Ctx, CalcSHA1},
        {CALG_SHA_256, L"SHA256", Sha256Ctx, CalcSHA256},
        {CALG_CRC32, L"CRC32", Crc32Ctx, CalcCRC32},
    }};
    // The begun contexts, for the hashing, and which of algorithms_ they are.
    std::array<THashContext*, 4> begun_{};
    std::size_t begunCount_ = 0;
    std::array<bool, 4> isBegun_{};
};
