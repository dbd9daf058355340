#pragma once
// Reads the file version from the version resource of a PE file (.exe,
// .dll...) without loading it. The bytes are untrusted: every read is checked
// against the data, and anything malformed gives no version.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "ByteSource.h"
#include "FileVersion.h"

class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

  private:
    std::span<const std::uint8_t> bytes_;
};

// The file version of the first language of version resource 1, provided its
// fixed file information is complete and signed; otherwise nothing.
std::optional<FileVersion> ReadPeFileVersion(const ByteSource& source);
std::optional<FileVersion> ReadPeFileVersion(std::span<const std::uint8_t> bytes);
