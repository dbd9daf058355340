#pragma once
// The next chunk of a file fetched from the disk while the job hashes the
// current one: the Windows side of what POSIX_FADV_WILLNEED does on POSIX.
// A thread of the system's pool reads the chunk through a second handle of
// the file, opened at the first request, into a small buffer that it
// overwrites: what it leaves is the chunk in the system's file cache, where
// the job's own read finds it. An overlapped read would not do under Wine,
// which completes overlapped reads of a disk file before ReadFile returns.
// Only a hint, like its POSIX counterpart: what it cannot have or read
// changes nothing but the speed.

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

    // Has `size` bytes at `offset` fetched, once the previous request has
    // ended. When the second handle, the buffer or the pool's work cannot be
    // had, nothing is fetched, now or later.
    void Request(std::uint64_t offset, std::uint32_t size);

  private:
    static void CALLBACK RunRead(PTP_CALLBACK_INSTANCE instance, void* self, PTP_WORK work);
    bool Prepare();
    void WaitForRead() noexcept;

    JobPlatform& platform_;
    const std::wstring apiPath_;
    bool unavailable_ = false;  // a part could not be had: no more requests
    UniqueFile handle_;
    ChunkBuffer buffer_;
    UniqueThreadpoolWork work_;
    // The request. The pool's thread reads it only between
    // SubmitThreadpoolWork and the end of WaitForThreadpoolWorkCallbacks,
    // which order its accesses against this thread's.
    bool inFlight_ = false;
    std::uint64_t offset_ = 0;
    std::uint32_t size_ = 0;
};
