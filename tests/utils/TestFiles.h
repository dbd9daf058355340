#pragma once
// Scratch files for the report field tests, on both platforms.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "DateTimeText.h"
#include "PeVersionReader.h"
#include "ReportFields.h"

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of its scope.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes bytes to a new file in the directory and returns its path.
    std::filesystem::path Write(const std::string& name, std::span<const std::uint8_t> bytes) const;

  private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// A file read on demand, for the PE reader over large files.
class StreamByteSource final : public ByteSource {
  public:
    explicit StreamByteSource(const std::filesystem::path& path);
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

  private:
    mutable std::ifstream in_;
};

// A file opened for reading the way the job opens it, closed at scope end.
class OpenedFile {
  public:
    explicit OpenedFile(const std::filesystem::path& path);
    ~OpenedFile();
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    bool IsOpen() const;
    NativeFileHandle Handle() const { return handle_; }

  private:
    NativeFileHandle handle_;
};

// A handle that no file has.
NativeFileHandle InvalidFileHandle();

// Sets the file's last-write time to the given local calendar time.
bool SetLastWriteLocalTime(const std::filesystem::path& path, const CalendarTime& local);
