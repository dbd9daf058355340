#pragma once
// The modes of hashbench beyond the single big file, one file each.

#include <string>

// pool [rounds]: the cost of one hand-over to the pool and back, and of the
// hashing machinery per chunk with no hashing in it.
int PoolCost(long rounds);

// small <bytes> [files]: one chunk of <bytes> hashed by all four algorithms
// on the reading thread against handed to the pool's threads, per file.
int SmallChunk(long bytes, long files);

// drop <file>: removes the file from the page cache (POSIX_FADV_DONTNEED).
int DropFromCache(const std::string& path);
