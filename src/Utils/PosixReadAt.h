#pragma once
// A read at an offset of a POSIX file descriptor that leaves the offset the
// descriptor's own reads continue from alone.

#include <cstddef>
#include <cstdint>

// Reads all `count` bytes at `offset`; false on an error (a pipe has no
// offsets) or when the data ends first.
bool ReadAllAt(int descriptor, std::uint64_t offset, void* out, std::size_t count);
