// The job's services on Windows: CreateFileW, GetFileSizeEx, ReadFile and
// CloseHandle, VirtualAlloc and VirtualFree, GetTickCount, GetDriveTypeW, and
// the system's reasons for error codes.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "ErrorReason.h"
#include "FileApiPath.h"
#include "JobPlatform.h"
#include "Win32Raii.h"

namespace {

// FILE_FLAG_SEQUENTIAL_SCAN together with FILE_ATTRIBUTE_NORMAL.
constexpr DWORD kSequentialScanNormal = 0x08000080;

// GetLastError after a failed call, never 0, so that a failure never reads
// as success.
ErrorCode FailureCode() {
    const DWORD code = ::GetLastError();
    return code != 0 ? code : ERROR_GEN_FAILURE;
}

class Win32JobFile final : public JobFile {
  public:
    explicit Win32JobFile(UniqueFile handle) : handle_(std::move(handle)) {}

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
        if (pointerMoved_) {
            // Back to where the reads stopped; should that fail, the read
            // fails with it rather than hash the file from elsewhere.
            LARGE_INTEGER position{};
            position.QuadPart = static_cast<LONGLONG>(position_);
            if (!::SetFilePointerEx(handle_.Get(), position, nullptr, FILE_BEGIN)) {
                return FailureCode();
            }
            pointerMoved_ = false;
        }
        DWORD read = 0;
        if (!::ReadFile(handle_.Get(), buffer, size, &read, nullptr)) {
            return FailureCode();
        }
        bytesRead = read;
        position_ += read;
        return 0;
    }

    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
        // Offsets mean something on a disk file only: a pipe's read would
        // take bytes away from the content.
        if (count > MAXDWORD || ::GetFileType(handle_.Get()) != FILE_TYPE_DISK) {
            return false;
        }
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        // On a handle opened for synchronous reads this reads at the offset
        // and leaves the file pointer after what it read: Read puts it back.
        pointerMoved_ = true;
        DWORD got = 0;
        return ::ReadFile(handle_.Get(), out, static_cast<DWORD>(count), &got, &at) && got == count;
    }

    NativeFileHandle Handle() const override { return handle_.Get(); }

  private:
    UniqueFile handle_;
    std::uint64_t position_ = 0;  // where Read continues
    mutable bool pointerMoved_ = false;
};

class Win32JobPlatform final : public JobPlatform {
  public:
    ErrorCode OpenFile(const std::wstring& path, std::unique_ptr<JobFile>& file) override {
        UniqueFile handle(::CreateFileW(ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, kSequentialScanNormal, nullptr));
        if (!handle) {
            return FailureCode();
        }
        file = std::make_unique<Win32JobFile>(std::move(handle));
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
