#include "PeVersionReader.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint16_t kDosSignature = 0x5A4D;     // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kPeHeaderOffsetField = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kDataDirectorySize = 8;
constexpr std::uint64_t kSectionHeaderSize = 40;

constexpr std::uint64_t kResourceDirectoryHeaderSize = 16;
constexpr std::uint64_t kResourceEntrySize = 8;
constexpr std::uint64_t kResourceDataEntrySize = 16;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr std::uint32_t kNamedEntryFlag = 0x80000000u;
constexpr std::uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr std::uint32_t kVersionResourceId = 1;     // VS_VERSION_INFO

// VS_VERSIONINFO: wLength, wValueLength, wType, the key "VS_VERSION_INFO"
// with its terminator, padding to a 4-byte boundary, then VS_FIXEDFILEINFO.
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";
constexpr std::uint64_t kKeyOffset = 6;
constexpr std::uint64_t kFixedInfoOffset = 40;
constexpr std::uint64_t kFixedInfoSize = 52;
constexpr std::uint64_t kVersionHeadSize = kFixedInfoOffset + kFixedInfoSize;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BDu;

std::uint16_t U16At(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32At(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

class PeImage {
  public:
    explicit PeImage(const ByteSource& source) : source_(source) {}

    // Reads the headers and the section table; false for anything that is
    // not a well-formed PE header.
    bool Load();

    std::uint32_t ResourceRva() const { return resourceRva_; }

    // Reads count bytes at a relative virtual address, provided all of them
    // lie in the file data of one section.
    bool ReadRva(std::uint64_t rva, void* out, std::size_t count) const;

  private:
    bool Read(std::uint64_t offset, void* out, std::size_t count) const {
        return source_.ReadAt(offset, out, count);
    }

    const ByteSource& source_;
    std::vector<Section> sections_;
    std::uint32_t resourceRva_ = 0;
};

bool PeImage::Load() {
    std::array<std::uint8_t, kDosHeaderSize> dos;
    if (!Read(0, dos.data(), dos.size()) || U16At(dos.data()) != kDosSignature) {
        return false;
    }
    const std::uint64_t peOffset = U32At(dos.data() + kPeHeaderOffsetField);

    std::array<std::uint8_t, 4 + kFileHeaderSize> peHeader;
    if (!Read(peOffset, peHeader.data(), peHeader.size()) ||
        U32At(peHeader.data()) != kPeSignature) {
        return false;
    }
    const std::uint16_t sectionCount = U16At(peHeader.data() + 4 + 2);
    const std::uint16_t optionalHeaderSize = U16At(peHeader.data() + 4 + 16);
    const std::uint64_t optionalOffset = peOffset + peHeader.size();

    std::uint8_t magicBytes[2];
    if (!Read(optionalOffset, magicBytes, sizeof magicBytes)) {
        return false;
    }
    const std::uint16_t magic = U16At(magicBytes);
    std::uint64_t directoryCountOffset = 0;
    if (magic == kPe32Magic) {
        directoryCountOffset = 92;
    } else if (magic == kPe32PlusMagic) {
        directoryCountOffset = 108;
    } else {
        return false;
    }
    const std::uint64_t resourceEntryOffset =
        directoryCountOffset + 4 + kResourceDirectoryIndex * kDataDirectorySize;
    if (optionalHeaderSize < resourceEntryOffset + kDataDirectorySize) {
        return false;
    }
    std::uint8_t countBytes[4];
    std::uint8_t resourceEntry[kDataDirectorySize];
    if (!Read(optionalOffset + directoryCountOffset, countBytes, sizeof countBytes) ||
        U32At(countBytes) <= kResourceDirectoryIndex ||
        !Read(optionalOffset + resourceEntryOffset, resourceEntry, sizeof resourceEntry)) {
        return false;
    }
    resourceRva_ = U32At(resourceEntry);
    if (resourceRva_ == 0) {
        return false;
    }

    std::vector<std::uint8_t> table(std::size_t{sectionCount} * kSectionHeaderSize);
    if (!Read(optionalOffset + optionalHeaderSize, table.data(), table.size())) {
        return false;
    }
    sections_.resize(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* header = table.data() + i * kSectionHeaderSize;
        sections_[i].virtualAddress = U32At(header + 12);
        sections_[i].rawSize = U32At(header + 16);
        sections_[i].rawOffset = U32At(header + 20);
    }
    return true;
}

bool PeImage::ReadRva(std::uint64_t rva, void* out, std::size_t count) const {
    for (const Section& section : sections_) {
        if (rva < section.virtualAddress) {
            continue;
        }
        const std::uint64_t offsetInSection = rva - section.virtualAddress;
        if (offsetInSection + count <= section.rawSize) {
            return Read(std::uint64_t{section.rawOffset} + offsetInSection, out, count);
        }
    }
    return false;
}

// Walks the three levels of the resource tree: type, name, language.
class ResourceTree {
  public:
    explicit ResourceTree(const PeImage& image) : image_(image) {}

    // The OffsetToData field of the entry with the given id in the directory
    // at directoryOffset (relative to the resource root), or, without an id,
    // of the directory's first entry.
    std::optional<std::uint32_t> Entry(std::uint32_t directoryOffset,
                                       std::optional<std::uint32_t> id) const;

    // The directory an entry's OffsetToData points at, if it is one.
    static std::optional<std::uint32_t> Subdirectory(std::optional<std::uint32_t> entry) {
        if (!entry || (*entry & kSubdirectoryFlag) == 0) {
            return std::nullopt;
        }
        return *entry & ~kSubdirectoryFlag;
    }

    bool Read(std::uint32_t offset, void* out, std::size_t count) const {
        return image_.ReadRva(std::uint64_t{image_.ResourceRva()} + offset, out, count);
    }

  private:
    const PeImage& image_;
};

std::optional<std::uint32_t> ResourceTree::Entry(std::uint32_t directoryOffset,
                                                 std::optional<std::uint32_t> id) const {
    std::uint8_t header[kResourceDirectoryHeaderSize];
    if (!Read(directoryOffset, header, sizeof header)) {
        return std::nullopt;
    }
    const std::size_t count = std::size_t{U16At(header + 12)} + U16At(header + 14);
    if (count == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> entries(count * kResourceEntrySize);
    if (!image_.ReadRva(
            std::uint64_t{image_.ResourceRva()} + directoryOffset + kResourceDirectoryHeaderSize,
            entries.data(), entries.size())) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = entries.data() + i * kResourceEntrySize;
        const std::uint32_t name = U32At(entry);
        if (!id || ((name & kNamedEntryFlag) == 0 && name == *id)) {
            return U32At(entry + 4);
        }
    }
    return std::nullopt;
}

}  // namespace

bool MemoryByteSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset) {
        return false;
    }
    if (count > 0) {
        std::memcpy(out, bytes_.data() + offset, count);
    }
    return true;
}

std::optional<FileVersion> ReadPeFileVersion(const ByteSource& source) {
    PeImage image(source);
    if (!image.Load()) {
        return std::nullopt;
    }
    // The depth is fixed at three levels, so a directory that points back at
    // itself or an ancestor cannot make the walk go on.
    const ResourceTree tree(image);
    const auto names = ResourceTree::Subdirectory(tree.Entry(0, kVersionResourceType));
    if (!names) {
        return std::nullopt;
    }
    const auto languages = ResourceTree::Subdirectory(tree.Entry(*names, kVersionResourceId));
    if (!languages) {
        return std::nullopt;
    }
    const auto leaf = tree.Entry(*languages, std::nullopt);
    if (!leaf || (*leaf & kSubdirectoryFlag) != 0) {
        return std::nullopt;
    }
    std::uint8_t dataEntry[kResourceDataEntrySize];
    if (!tree.Read(*leaf, dataEntry, sizeof dataEntry)) {
        return std::nullopt;
    }
    const std::uint32_t dataRva = U32At(dataEntry);
    const std::uint32_t dataSize = U32At(dataEntry + 4);
    if (dataSize < kVersionHeadSize) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kVersionHeadSize> head;
    if (!image.ReadRva(dataRva, head.data(), head.size())) {
        return std::nullopt;
    }
    const std::uint16_t blockLength = U16At(head.data());
    const std::uint16_t valueLength = U16At(head.data() + 2);
    if (blockLength < kVersionHeadSize || blockLength > dataSize || valueLength < kFixedInfoSize) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < std::size(kVersionKey); ++i) {
        if (U16At(head.data() + kKeyOffset + 2 * i) != kVersionKey[i]) {
            return std::nullopt;
        }
    }
    const std::uint8_t* fixed = head.data() + kFixedInfoOffset;
    if (U32At(fixed) != kFixedInfoSignature) {
        return std::nullopt;
    }
    return FileVersionFromWords(U32At(fixed + 8), U32At(fixed + 12));
}

std::optional<FileVersion> ReadPeFileVersion(std::span<const std::uint8_t> bytes) {
    return ReadPeFileVersion(MemoryByteSource(bytes));
}
