#include "TestFiles.h"

#include <atomic>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

unsigned long ProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("varudodi-utils-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchDirectory::Write(const std::string& name,
                                              std::span<const std::uint8_t> bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

StreamByteSource::StreamByteSource(const std::filesystem::path& path)
    : in_(path, std::ios::binary) {}

bool StreamByteSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
    return in_.good() && static_cast<std::size_t>(in_.gcount()) == count;
}

#ifdef _WIN32

OpenedFile::OpenedFile(const std::filesystem::path& path)
    : handle_(CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

OpenedFile::~OpenedFile() {
    if (IsOpen()) {
        CloseHandle(handle_);
    }
}

bool OpenedFile::IsOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

NativeFileHandle InvalidFileHandle() {
    return INVALID_HANDLE_VALUE;
}

bool SetLastWriteLocalTime(const std::filesystem::path& path, const CalendarTime& local) {
    SYSTEMTIME fields = {};
    fields.wYear = static_cast<WORD>(local.Year);
    fields.wMonth = static_cast<WORD>(local.Month);
    fields.wDay = static_cast<WORD>(local.Day);
    fields.wHour = static_cast<WORD>(local.Hour);
    fields.wMinute = static_cast<WORD>(local.Minute);
    fields.wSecond = static_cast<WORD>(local.Second);
    FILETIME localTime;
    FILETIME utcTime;
    if (!SystemTimeToFileTime(&fields, &localTime) ||
        !LocalFileTimeToFileTime(&localTime, &utcTime)) {
        return false;
    }
    const HANDLE file = CreateFileW(path.wstring().c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool set = SetFileTime(file, nullptr, nullptr, &utcTime) != FALSE;
    CloseHandle(file);
    return set;
}

#else

OpenedFile::OpenedFile(const std::filesystem::path& path)
    : handle_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

OpenedFile::~OpenedFile() {
    if (IsOpen()) {
        close(handle_);
    }
}

bool OpenedFile::IsOpen() const {
    return handle_ >= 0;
}

NativeFileHandle InvalidFileHandle() {
    return -1;
}

bool SetLastWriteLocalTime(const std::filesystem::path& path, const CalendarTime& local) {
    struct tm fields = {};
    fields.tm_year = local.Year - 1900;
    fields.tm_mon = local.Month - 1;
    fields.tm_mday = local.Day;
    fields.tm_hour = local.Hour;
    fields.tm_min = local.Minute;
    fields.tm_sec = local.Second;
    fields.tm_isdst = -1;
    const time_t when = mktime(&fields);
    if (when == static_cast<time_t>(-1)) {
        return false;
    }
    const struct timeval times[2] = {{when, 0}, {when, 0}};
    return utimes(path.c_str(), times) == 0;
}

#endif
