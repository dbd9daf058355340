// File facts from the file itself: the size text made here, the version
// read from the PE version resource, the time from fstat and the C library.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "FileFacts.h"
#include "NumberText.h"
#include "PeVersionReader.h"
#include "PosixReadAt.h"
#include "Utf8Text.h"

namespace {

// A file opened read-only, closed on every path. Opening does not wait: a
// named pipe gives no version instead of blocking the job.
class ReadOnlyFile final : public ByteSource {
  public:
    explicit ReadOnlyFile(const std::string& path)
        : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~ReadOnlyFile() override {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
        return ReadAllAt(fd_, offset, out, count);
    }

  private:
    int fd_;
};

}  // namespace

std::wstring ShortSizeText(std::int64_t size, const LocaleSettings& settings) {
    return ShortByteSizeText(size, settings.DecimalSeparator);
}

std::optional<FileVersion> ReadFileVersion(const std::wstring& path) {
    const ReadOnlyFile file(WideToUtf8(path));
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    return ReadPeFileVersion(file);
}

std::optional<FileVersion> ReadFileVersion(const std::wstring&, const ByteSource& open) {
    return ReadPeFileVersion(open);
}

std::optional<CalendarTime> ReadLastWriteLocalTime(NativeFileHandle file) {
    struct stat status;
    if (fstat(file, &status) != 0) {
        return std::nullopt;
    }
    const time_t written = status.st_mtime;
    struct tm local;
    if (localtime_r(&written, &local) == nullptr) {
        return std::nullopt;
    }
    return CalendarTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                        local.tm_hour,        local.tm_min,     local.tm_sec};
}
