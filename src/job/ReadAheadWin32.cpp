#include "ReadAheadWin32.h"

#include <cstring>
#include <utility>

Win32ReadAhead::Win32ReadAhead(JobPlatform& platform, std::wstring apiPath)
    : platform_(platform),
      apiPath_(std::move(apiPath)),
      buffer_(nullptr, ChunkBufferRelease{&platform}) {}

Win32ReadAhead::~Win32ReadAhead() {
    // The read in flight writes into the buffer: it must end before the
    // buffer and the handle go.
    WaitForRead();
}

bool Win32ReadAhead::Prepare(std::uint32_t size) {
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
    if (capacity_ < size) {
        ErrorCode error = 0;
        buffer_ = platform_.AllocateChunkBuffer(size, error);
        capacity_ = buffer_ ? size : 0;
    }
    unavailable_ = !handle_ || !work_ || capacity_ < size;
    return !unavailable_;
}

void Win32ReadAhead::Request(std::uint64_t offset, std::uint32_t size) {
    WaitForRead();
    if (!Prepare(size)) {
        return;
    }
    offset_ = offset;
    size_ = size;
    got_ = 0;
    error_ = 0;
    inFlight_ = true;
    ::SubmitThreadpoolWork(work_.Get());
}

bool Win32ReadAhead::Take(std::uint64_t offset, void* buffer, std::uint32_t size,
                          std::uint32_t& bytesRead, ErrorCode& error) {
    if (!inFlight_) {
        return false;
    }
    WaitForRead();
    if (offset != offset_ || size != size_) {
        return false;
    }
    bytesRead = got_;
    error = error_;
    if (error == 0) {
        std::memcpy(buffer, buffer_.get(), got_);
    }
    return true;
}

void Win32ReadAhead::WaitForRead() noexcept {
    if (inFlight_) {
        ::WaitForThreadpoolWorkCallbacks(work_.Get(), FALSE);
        inFlight_ = false;
    }
}

void CALLBACK Win32ReadAhead::RunRead(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) {
    auto& ahead = *static_cast<Win32ReadAhead*>(self);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(ahead.offset_);
    at.OffsetHigh = static_cast<DWORD>(ahead.offset_ >> 32);
    DWORD read = 0;
    if (::ReadFile(ahead.handle_.Get(), ahead.buffer_.get(), ahead.size_, &read, &at)) {
        ahead.got_ = read;
        return;
    }
    // A read that starts at the end of the file reports it as an error.
    const DWORD code = ::GetLastError();
    if (code != ERROR_HANDLE_EOF) {
        ahead.error_ = code != 0 ? code : ERROR_GEN_FAILURE;
    }
}
