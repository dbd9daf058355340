// The job's services on Windows: CreateFileW, GetFileSizeEx, ReadFile and
// CloseHandle, VirtualAlloc and VirtualFree, GetTickCount, and the system's
// reasons for error codes.
#include <windows.h>

#include <string>

#include "ErrorReason.h"
#include "FileApiPath.h"
#include "JobPlatform.h"

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
    explicit Win32JobFile(HANDLE handle) : handle_(handle) {}
    ~Win32JobFile() override { ::CloseHandle(handle_); }
    Win32JobFile(const Win32JobFile&) = delete;
    Win32JobFile& operator=(const Win32JobFile&) = delete;

    ErrorCode GetSize(std::int64_t& size) override {
        LARGE_INTEGER value{};
        if (!::GetFileSizeEx(handle_, &value)) {
            return FailureCode();
        }
        size = value.QuadPart;
        return 0;
    }

    ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& bytesRead) override {
        DWORD read = 0;
        if (!::ReadFile(handle_, buffer, size, &read, nullptr)) {
            const ErrorCode code = FailureCode();
            bytesRead = 0;
            return code;
        }
        bytesRead = read;
        return 0;
    }

    NativeFileHandle Handle() const override { return handle_; }

  private:
    HANDLE handle_;
};

class Win32JobPlatform final : public JobPlatform {
  public:
    ErrorCode OpenFile(const std::wstring& path, std::unique_ptr<JobFile>& file) override {
        const HANDLE handle = ::CreateFileW(ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, kSequentialScanNormal, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return FailureCode();
        }
        try {
            file = std::make_unique<Win32JobFile>(handle);
        } catch (...) {
            ::CloseHandle(handle);
            throw;
        }
        return 0;
    }

    ErrorCode AllocateBuffer(std::size_t size, std::byte*& buffer) override {
        buffer = static_cast<std::byte*>(::VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        return buffer != nullptr ? 0 : FailureCode();
    }

    void FreeBuffer(std::byte* buffer) noexcept override { ::VirtualFree(buffer, 0, MEM_RELEASE); }

    std::uint32_t TickCount() override { return ::GetTickCount(); }

    std::wstring ErrorReason(ErrorCode code) override { return SystemErrorReason(code); }
};

}  // namespace

JobPlatform& SystemJobPlatform() {
    static Win32JobPlatform platform;
    return platform;
}
