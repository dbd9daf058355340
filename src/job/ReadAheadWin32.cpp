#include "ReadAheadWin32.h"

#include <utility>

namespace {

// The buffer the fetched bytes pass through: small, so that reading ahead
// adds little to the job's memory.
constexpr std::uint32_t kPassSize = 1u << 20;

}  // namespace

Win32ReadAhead::Win32ReadAhead(JobPlatform& platform, std::wstring apiPath)
    : platform_(platform),
      apiPath_(std::move(apiPath)),
      buffer_(nullptr, ChunkBufferRelease{&platform}) {}

Win32ReadAhead::~Win32ReadAhead() {
    // The read in flight uses the buffer and the handle: it must end before
    // they go.
    WaitForRead();
}

bool Win32ReadAhead::Prepare() {
    if (unavailable_) {
        return false;
    }
    if (!handle_) {
        handle_.Reset(::CreateFileW(apiPath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, kSequentialScanNormal, nullptr));
    }
    if (!work_) {
        work_.Reset(::CreateThreadpoolWork(&Win32ReadAhead::RunRead, this, nullptr));
    }
    if (!buffer_) {
        ErrorCode error = 0;
        buffer_ = platform_.AllocateChunkBuffer(kPassSize, error);
    }
    unavailable_ = !handle_ || !work_ || !buffer_;
    return !unavailable_;
}

void Win32ReadAhead::Request(std::uint64_t offset, std::uint32_t size) {
    WaitForRead();
    if (!Prepare()) {
        return;
    }
    offset_ = offset;
    size_ = size;
    inFlight_ = true;
    ::SubmitThreadpoolWork(work_.Get());
}

void Win32ReadAhead::WaitForRead() noexcept {
    if (inFlight_) {
        ::WaitForThreadpoolWorkCallbacks(work_.Get(), FALSE);
        inFlight_ = false;
    }
}

void CALLBACK Win32ReadAhead::RunRead(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) {
    auto& ahead = *static_cast<Win32ReadAhead*>(self);
    std::uint64_t offset = ahead.offset_;
    std::uint32_t remaining = ahead.size_;
    while (remaining > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        // A failure or the file's end ends the fetch: the job's own read
        // meets the same and reports it.
        if (!::ReadFile(ahead.handle_.Get(), ahead.buffer_.get(),
                        remaining < kPassSize ? remaining : kPassSize, &read, &at) ||
            read == 0) {
            return;
        }
        offset += read;
        remaining -= read;
    }
}
