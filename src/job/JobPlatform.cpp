#include "JobPlatform.h"

void ChunkBufferRelease::operator()(std::byte* buffer) const noexcept {
    platform->FreeBuffer(buffer);
}

ChunkBuffer JobPlatform::AllocateChunkBuffer(std::size_t size, ErrorCode& error) {
    std::byte* buffer = nullptr;
    error = AllocateBuffer(size, buffer);
    if (error != 0) {
        return ChunkBuffer(nullptr, ChunkBufferRelease{this});
    }
    return ChunkBuffer(buffer, ChunkBufferRelease{this});
}
