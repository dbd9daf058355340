#pragma once
// The file, memory and clock services the hash job uses, behind one
// interface: the system's (Win32 or POSIX) in the program, fakes in tests.
// Every operation that can fail returns the system's error code, taken right
// after the failed call, and 0 on success.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ByteSource.h"
#include "ErrorReason.h"  // ErrorCode
#include "LocaleSettings.h"
#include "ReportFields.h"  // NativeFileHandle

// One file open for sequential reading; closed when destroyed. As a
// ByteSource it also reads at any offset, for the report fields that look
// into the file, without changing where Read continues.
class JobFile : public ByteSource {
  public:
    virtual ErrorCode GetSize(std::int64_t& size) = 0;
    // Reads up to `size` bytes; on failure bytesRead is 0.
    virtual ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& bytesRead) = 0;
    // The handle for the report fields that read the file's own facts.
    virtual NativeFileHandle Handle() const = 0;
};

class JobPlatform;

// Releases a chunk buffer through the platform that allocated it.
struct ChunkBufferRelease {
    JobPlatform* platform = nullptr;
    void operator()(std::byte* buffer) const noexcept;
};
using ChunkBuffer = std::unique_ptr<std::byte, ChunkBufferRelease>;

class JobPlatform {
  public:
    virtual ~JobPlatform() = default;

    // Opens for reading, sharing read access only, with the sequential-scan
    // hint.
    virtual ErrorCode OpenFile(const std::wstring& path, std::unique_ptr<JobFile>& file) = 0;
    // Page-aligned memory from the system's page allocator.
    virtual ErrorCode AllocateBuffer(std::size_t size, std::byte*& buffer) = 0;
    virtual void FreeBuffer(std::byte* buffer) noexcept = 0;
    // Milliseconds, wrapping at 2^32.
    virtual std::uint32_t TickCount() = 0;
    // Milliseconds that pace how often the window is told of progress;
    // apart from TickCount only so that tests can time the two apart.
    virtual std::uint32_t ProgressTick() { return TickCount(); }
    // The system's reason for an error code, never empty.
    virtual std::wstring ErrorReason(ErrorCode code) = 0;
    // The locale's number and time settings in force now; the regional
    // settings may change between two calls.
    virtual std::shared_ptr<const LocaleSettings> LocaleSnapshot() {
        return CurrentLocaleSettings();
    }

    // True when the path lies on a drive letter that stands for a share on
    // another computer; server paths ("\\\\server\\share") are told by their
    // form alone.
    virtual bool OnNetworkDrive(const std::wstring& path) {
        (void)path;
        return false;
    }

    ChunkBuffer AllocateChunkBuffer(std::size_t size, ErrorCode& error);
};

// The running system's services, shared by every job.
JobPlatform& SystemJobPlatform();
