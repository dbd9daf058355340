// The job's services on POSIX systems: open/fstat/read/close, page-aligned
// heap memory, the monotonic clock and the system's reasons for error codes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "ContentHasher.h"  // READ_CHUNK_SIZE
#include "ErrorReason.h"
#include "JobPlatform.h"
#include "PosixReadAt.h"
#include "Utf8Text.h"

namespace {

constexpr std::size_t kPageSize = 4096;

// errno after a failed call, never 0, so that a failure never reads as
// success.
ErrorCode FailureCode() {
    return errno != 0 ? static_cast<ErrorCode>(errno) : EIO;
}

class PosixJobFile final : public JobFile {
  public:
    explicit PosixJobFile(int descriptor) : descriptor_(descriptor) {}
    ~PosixJobFile() override { ::close(descriptor_); }
    PosixJobFile(const PosixJobFile&) = delete;
    PosixJobFile& operator=(const PosixJobFile&) = delete;

    ErrorCode GetSize(std::int64_t& size) override {
        struct stat info {};
        if (::fstat(descriptor_, &info) != 0) {
            return FailureCode();
        }
        size = static_cast<std::int64_t>(info.st_size);
        return 0;
    }

    // Fills the buffer unless the file ends first, like ReadFile does on a
    // file.
    ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& bytesRead) override {
        bytesRead = 0;
        std::uint32_t filled = 0;
        while (filled < size) {
            const ssize_t got =
                ::read(descriptor_, static_cast<char*>(buffer) + filled, size - filled);
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return FailureCode();
            }
            if (got == 0) {
                break;
            }
            filled += static_cast<std::uint32_t>(got);
        }
        bytesRead = filled;
        // The job reads a big file in whole chunks, in order: have the
        // system fetch the next one while this one is hashed, so that a file
        // coming from the disk is read at the disk's pace. Only a hint; its
        // failure changes nothing. A lane's full piece of a small file is
        // only a file that grew.
        offset_ += filled;
        if (filled == READ_CHUNK_SIZE) {
            ::posix_fadvise(descriptor_, static_cast<off_t>(offset_), static_cast<off_t>(size),
                            POSIX_FADV_WILLNEED);
        }
        return 0;
    }

    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
        return ReadAllAt(descriptor_, offset, out, count);
    }

    NativeFileHandle Handle() const override { return descriptor_; }

  private:
    int descriptor_;
    std::uint64_t offset_ = 0;  // where the next read starts
};

class PosixJobPlatform final : public JobPlatform {
  public:
    ErrorCode OpenFile(const std::wstring& path, std::unique_ptr<JobFile>& file) override {
        const int descriptor = ::open(WideToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) {
            return FailureCode();
        }
        std::unique_ptr<PosixJobFile> opened;
        try {
            opened = std::make_unique<PosixJobFile>(descriptor);
        } catch (...) {
            ::close(descriptor);
            throw;
        }
        // A folder opens here but is no file to hash, as on Windows.
        struct stat info {};
        if (::fstat(descriptor, &info) != 0) {
            return FailureCode();
        }
        if (S_ISDIR(info.st_mode)) {
            return EISDIR;
        }
        ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
        file = std::move(opened);
        return 0;
    }

    ErrorCode AllocateBuffer(std::size_t size, std::byte*& buffer) override {
        const std::size_t rounded = (size + kPageSize - 1) / kPageSize * kPageSize;
        buffer = static_cast<std::byte*>(std::aligned_alloc(kPageSize, rounded));
        return buffer != nullptr ? 0 : ENOMEM;
    }

    void FreeBuffer(std::byte* buffer) noexcept override { std::free(buffer); }

    std::uint32_t TickCount() override {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                        static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }

    std::wstring ErrorReason(ErrorCode code) override { return SystemErrorReason(code); }
};

}  // namespace

JobPlatform& SystemJobPlatform() {
    static PosixJobPlatform platform;
    return platform;
}
