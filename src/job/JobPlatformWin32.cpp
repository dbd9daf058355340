// The job's services on Windows: CreateFileW, GetFileSizeEx, ReadFile and
// CloseHandle, VirtualAlloc and VirtualFree, GetTickCount, GetDriveTypeW, and
// the system's reasons for error codes.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "ContentHasher.h"  // READ_CHUNK_SIZE
#include "ErrorReason.h"
#include "FileApiPath.h"
#include "JobPlatform.h"
#include "ReadAheadWin32.h"
#include "Win32Raii.h"

namespace {

// GetLastError after a failed call, never 0, so that a failure never reads
// as success.
ErrorCode FailureCode() {
    const DWORD code = ::GetLastError();
    return code != 0 ? code : ERROR_GEN_FAILURE;
}

class Win32JobFile final : public JobFile {
  public:
    Win32JobFile(UniqueFile handle, JobPlatform& platform, std::wstring apiPath)
        : handle_(std::move(handle)), ahead_(platform, std::move(apiPath)) {}

    ErrorCode GetSize(std::int64_t& size) override {
        LARGE_INTEGER value{};
        if (!::GetFileSizeEx(handle_.Get(), &value)) {
            return FailureCode();
        }
        size = value.QuadPart;
        return 0;
    }

    ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& bytesRead) override {
        bytesRead = 0;
        DWORD read = 0;
        if (IsDiskFile()) {
            // A disk file is read at the offset where the reads stopped, so
            // that the version lookup's reads in between need no seek back.
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(position_);
            at.OffsetHigh = static_cast<DWORD>(position_ >> 32);
            // Read at an offset, a synchronous handle reports the end of the
            // file as a failure with ERROR_HANDLE_EOF instead of 0 bytes.
            if (!::ReadFile(handle_.Get(), buffer, size, &read, &at) &&
                ::GetLastError() != ERROR_HANDLE_EOF) {
                return FailureCode();
            }
        } else if (!::ReadFile(handle_.Get(), buffer, size, &read, nullptr)) {
            return FailureCode();
        }
        bytesRead = read;
        position_ += read;
        // The job reads a big file in whole chunks, in order: have the next
        // one fetched while this one is hashed, so that a file coming from
        // the disk is read at the disk's pace. A lane's full piece of a
        // small file (one that grew) is not worth a second handle.
        if (read == READ_CHUNK_SIZE && IsDiskFile()) {
            ahead_.Request(position_, size);
        }
        return 0;
    }

    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
        // Offsets mean something on a disk file only: a pipe's read would
        // take bytes away from the content.
        if (count > MAXDWORD || !IsDiskFile()) {
            return false;
        }
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        return ::ReadFile(handle_.Get(), out, static_cast<DWORD>(count), &got, &at) && got == count;
    }

    NativeFileHandle Handle() const override { return handle_.Get(); }

  private:
    // Offsets and reading ahead (which opens the path a second time) are
    // right for a disk file, never for a pipe or a device, where a read at an
    // offset takes bytes away and a second open is another client.
    bool IsDiskFile() const {
        if (!isDiskFile_) {
            isDiskFile_ = ::GetFileType(handle_.Get()) == FILE_TYPE_DISK;
        }
        return *isDiskFile_;
    }

    UniqueFile handle_;
    std::uint64_t position_ = 0;              // where Read continues
    mutable std::optional<bool> isDiskFile_;  // asked once, at the first read
    Win32ReadAhead ahead_;
};

class Win32JobPlatform final : public JobPlatform {
  public:
    ErrorCode OpenFile(const std::wstring& path, std::unique_ptr<JobFile>& file) override {
        std::wstring apiPath = ApiPath(path);
        UniqueFile handle(::CreateFileW(apiPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, kSequentialScanNormal, nullptr));
        if (!handle) {
            return FailureCode();
        }
        file = std::make_unique<Win32JobFile>(std::move(handle), *this, std::move(apiPath));
        return 0;
    }

    ErrorCode AllocateBuffer(std::size_t size, std::byte*& buffer) override {
        buffer = static_cast<std::byte*>(::VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        return buffer != nullptr ? 0 : FailureCode();
    }

    void FreeBuffer(std::byte* buffer) noexcept override { ::VirtualFree(buffer, 0, MEM_RELEASE); }

    std::uint32_t TickCount() override { return ::GetTickCount(); }

    std::wstring ErrorReason(ErrorCode code) override { return SystemErrorReason(code); }

    bool OnNetworkDrive(const std::wstring& path) override {
        if (path.size() < 3 || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/'))
            return false;
        const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
        return ::GetDriveTypeW(root) == DRIVE_REMOTE;
    }
};

}  // namespace

JobPlatform& SystemJobPlatform() {
    static Win32JobPlatform platform;
    return platform;
}
