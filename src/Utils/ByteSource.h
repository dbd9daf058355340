#pragma once
// Random access to the bytes of a file or of memory, for the readers that
// look into a file's content (its version resource).

#include <cstddef>
#include <cstdint>

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Copies count bytes starting at offset into out; false, with out
    // unspecified, unless all of them lie inside the data.
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const = 0;
};
