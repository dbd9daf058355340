#pragma once
// A file of a given length that lives nowhere: reads deliver its bytes
// without a system call, filling the buffer with a constant when asked.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "JobPlatform.h"

class MemoryFile final : public JobFile {
  public:
    MemoryFile(std::uint64_t length, bool fill) : length_(length), fill_(fill) {}

    ErrorCode GetSize(std::int64_t& size) override {
        size = static_cast<std::int64_t>(length_);
        return 0;
    }
    ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& bytesRead) override {
        bytesRead = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, length_ - offset_));
        if (fill_) {
            std::memset(buffer, 0x5A, bytesRead);
        }
        offset_ += bytesRead;
        return 0;
    }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
        if (offset > length_ || count > length_ - offset) return false;
        std::memset(out, 0x5A, count);
        return true;
    }
    NativeFileHandle Handle() const override {
#ifdef _WIN32
        return nullptr;
#else
        return -1;
#endif
    }

    void Rewind() {
        offset_ = 0;
    }

  private:
    std::uint64_t length_;
    std::uint64_t offset_ = 0;
    bool fill_;
};
