#include "JobContexts.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "ReportBlock.h"
#include "StageTimes.h"

JobContexts::JobContexts(const JobOptions& options)
    : CalcMD5(options.MD5),
      CalcSHA1(options.SHA1),
      CalcSHA256(options.SHA256),
      CalcCRC32(options.CRC32) {}

bool JobContexts::AnyCalc() const {
    return std::any_of(algorithms_.begin(), algorithms_.end(),
                       [](const Algorithm& algorithm) { return algorithm.selected; });
}

std::span<THashContext* const> JobContexts::Begin() {
    const StageTimer timer(Stage::BeginContexts);
    for (std::size_t i = 0; i < algorithms_.size(); ++i) {
        if (algorithms_[i].selected) {
            HashInit(algorithms_[i].context, algorithms_[i].id);
            begun_[begunCount_++] = &algorithms_[i].context;
            isBegun_[i] = true;
        }
    }
    return std::span(begun_.data(), begunCount_);
}

void JobContexts::AppendDigestLines(std::wstring& text, bool upperCase) {
    const StageTimer timer(Stage::FinishContexts);
    const std::array<std::wstring, 4> digests = Finish(upperCase);
    for (std::size_t i = 0; i < algorithms_.size(); ++i) {
        if (algorithms_[i].selected) {
            AppendDigestLine(text, algorithms_[i].name, digests[i]);
        }
    }
}

void JobContexts::Discard() {
    Finish(false);
}

std::array<std::wstring, 4> JobContexts::Finish(bool upperCase) {
    std::array<std::wstring, 4> digests;
    if (begunCount_ == 0) {
        return digests;
    }
    begunCount_ = 0;
    const std::array<bool, 4> begun = std::exchange(isBegun_, {});
    // Each begun context is finished, so that its handles are released,
    // even when finishing an earlier one failed; the first failure is then
    // raised again.
    std::exception_ptr failure;
    for (std::size_t i = 0; i < algorithms_.size(); ++i) {
        if (!begun[i]) {
            continue;
        }
        try {
            digests[i] = HashFinal(algorithms_[i].context, upperCase);
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return digests;
}
