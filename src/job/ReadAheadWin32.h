#pragma once
// The next chunk of a file read while the job hashes the current one: the
// Windows side of what POSIX_FADV_WILLNEED does on POSIX. The read runs on a
// thread of the system's pool through a second handle of the file, opened at
// the first request; an overlapped read would not do under Wine, which
// completes overlapped reads of a disk file before ReadFile returns. One
// chunk buffer, allocated at the first request, holds what was read ahead
// until the file's next read takes it.

#include <windows.h>

#include <cstdint>
#include <string>

#include "JobPlatform.h"
#include "Win32Raii.h"

// How the job opens its files, both handles: FILE_FLAG_SEQUENTIAL_SCAN
// together with FILE_ATTRIBUTE_NORMAL.
inline constexpr DWORD kSequentialScanNormal = 0x08000080;

class Win32ReadAhead {
  public:
    // `apiPath` names the file the job holds open: its share mode keeps the
    // file from being renamed or deleted, so the path opens the same file.
    Win32ReadAhead(JobPlatform& platform, std::wstring apiPath);
    // Waits for the read in flight.
    ~Win32ReadAhead();
    Win32ReadAhead(const Win32ReadAhead&) = delete;
    Win32ReadAhead& operator=(const Win32ReadAhead&) = delete;

    // Starts reading `size` bytes at `offset`. Only a hint: when the second
    // handle, the buffer or the pool's work cannot be had, nothing is read
    // ahead and the file's reads go on by themselves.
    void Request(std::uint64_t offset, std::uint32_t size);

    // Waits for the request in flight. When it was for `size` bytes at
    // `offset`, gives its result like a read into `buffer` (bytesRead, and
    // the read's error code, 0 on success) and returns true; otherwise
    // forgets it and returns false.
    bool Take(std::uint64_t offset, void* buffer, std::uint32_t size, std::uint32_t& bytesRead,
              ErrorCode& error);

  private:
    static void CALLBACK RunRead(PTP_CALLBACK_INSTANCE instance, void* self, PTP_WORK work);
    bool Prepare(std::uint32_t size);
    void WaitForRead() noexcept;

    JobPlatform& platform_;
    const std::wstring apiPath_;
    bool unavailable_ = false;  // a part could not be had: no more requests
    UniqueFile handle_;
    ChunkBuffer buffer_;
    std::uint32_t capacity_ = 0;
    UniqueThreadpoolWork work_;
    // The request and its result. The pool's thread touches them only
    // between SubmitThreadpoolWork and the end of WaitForThreadpoolWorkCallbacks,
    // which order its accesses against this thread's.
    bool inFlight_ = false;
    std::uint64_t offset_ = 0;
    std::uint32_t size_ = 0;
    std::uint32_t got_ = 0;
    ErrorCode error_ = 0;
};
