#include "PeImageBuilder.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::size_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::size_t kPeHeaderOffset = 0x80;
constexpr std::size_t kResourceFileOffset = 0x200;  // headers fill the first 0x200 bytes

std::size_t AlignUp(std::size_t value, std::size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

void Put64(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t value) {
    Put32(bytes, offset, static_cast<std::uint32_t>(value));
    Put32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

std::uint32_t VersionMs(const FileVersion& v) {
    return (std::uint32_t{v.Major} << 16) | v.Minor;
}
std::uint32_t VersionLs(const FileVersion& v) {
    return (std::uint32_t{v.Release} << 16) | v.Build;
}

// Resource section contents, offsets relative to its start.
struct ResourceSection {
    std::vector<std::uint8_t> bytes;
    std::size_t Reserve(std::size_t size, std::size_t alignment = 4) {
        const std::size_t at = AlignUp(bytes.size(), alignment);
        bytes.resize(at + size, 0);
        return at;
    }
};

void PutDirectory(ResourceSection& section, std::size_t at, std::uint16_t named,
                  std::uint16_t ids) {
    Put16(section.bytes, at + 12, named);
    Put16(section.bytes, at + 14, ids);
}

}  // namespace

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    if (bytes.size() < offset + 2) {
        bytes.resize(offset + 2, 0);
    }
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    Put16(bytes, offset, static_cast<std::uint16_t>(value));
    Put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

PeImage BuildPeImage(const PeImageOptions& options) {
    PeImage image;
    PeImageLayout& layout = image.layout;
    layout.sectionRva = kSectionAlignment;

    // Resource tree: root (types) -> names -> languages -> data entry -> VS_VERSIONINFO.
    ResourceSection rsrc;
    const std::uint16_t otherCount = options.withOtherResources ? 1 : 0;
    const std::uint16_t versionCount = options.withVersionResource ? 1 : 0;
    const std::uint16_t rootEntries = static_cast<std::uint16_t>(2 * otherCount + versionCount);
    const std::size_t root = rsrc.Reserve(16 + 8 * std::size_t{rootEntries});
    PutDirectory(rsrc, root, otherCount, static_cast<std::uint16_t>(otherCount + versionCount));
    const std::size_t emptyDirectory = rsrc.Reserve(16);
    std::size_t entry = root + 16;
    if (options.withOtherResources) {
        // Named type "X" and RT_ICON, both with an empty directory.
        const std::size_t name = rsrc.Reserve(4, 2);
        Put16(rsrc.bytes, name, 1);
        Put16(rsrc.bytes, name + 2, u'X');
        Put32(rsrc.bytes, entry, 0x80000000u | static_cast<std::uint32_t>(name));
        Put32(rsrc.bytes, entry + 4, 0x80000000u | static_cast<std::uint32_t>(emptyDirectory));
        entry += 8;
        Put32(rsrc.bytes, entry, 3);
        Put32(rsrc.bytes, entry + 4, 0x80000000u | static_cast<std::uint32_t>(emptyDirectory));
        entry += 8;
    }
    std::size_t versionBlock = 0;
    std::size_t versionBlockSize = 0;
    if (options.withVersionResource) {
        const std::size_t names = rsrc.Reserve(16 + 8);
        const std::size_t languages = rsrc.Reserve(16 + 8);
        const std::size_t data = rsrc.Reserve(16);
        layout.versionTypeEntry = entry;
        Put32(rsrc.bytes, entry, 16);  // RT_VERSION
        Put32(rsrc.bytes, entry + 4, 0x80000000u | static_cast<std::uint32_t>(names));
        PutDirectory(rsrc, names, 0, 1);
        Put32(rsrc.bytes, names + 16, 1);  // VS_VERSION_INFO
        Put32(rsrc.bytes, names + 20, 0x80000000u | static_cast<std::uint32_t>(languages));
        PutDirectory(rsrc, languages, 0, 1);
        Put32(rsrc.bytes, languages + 16, 0x0409);
        Put32(rsrc.bytes, languages + 20, static_cast<std::uint32_t>(data));

        // VS_VERSIONINFO with its fixed file information and no children.
        versionBlockSize = 92;
        versionBlock = rsrc.Reserve(versionBlockSize);
        auto& b = rsrc.bytes;
        Put16(b, versionBlock, static_cast<std::uint16_t>(versionBlockSize));
        Put16(b, versionBlock + 2, 52);
        Put16(b, versionBlock + 4, 0);
        const char16_t key[] = u"VS_VERSION_INFO";
        for (std::size_t i = 0; i < std::size(key); ++i) {
            Put16(b, versionBlock + 6 + 2 * i, key[i]);
        }
        const std::size_t fixed = versionBlock + 40;
        Put32(b, fixed, 0xFEEF04BDu);
        Put32(b, fixed + 4, 0x00010000u);
        Put32(b, fixed + 8, VersionMs(options.fileVersion));
        Put32(b, fixed + 12, VersionLs(options.fileVersion));
        Put32(b, fixed + 16, VersionMs(options.productVersion));
        Put32(b, fixed + 20, VersionLs(options.productVersion));
        Put32(b, fixed + 24, 0x3F);        // dwFileFlagsMask
        Put32(b, fixed + 32, 0x00040004);  // VOS_NT_WINDOWS32
        Put32(b, fixed + 36, 1);           // VFT_APP

        Put32(b, data, layout.sectionRva + static_cast<std::uint32_t>(versionBlock));
        Put32(b, data + 4, static_cast<std::uint32_t>(versionBlockSize));

        layout.nameDirectory = kResourceFileOffset + names;
        layout.languageDirectory = kResourceFileOffset + languages;
        layout.languageEntry = kResourceFileOffset + languages + 16;
        layout.dataEntry = kResourceFileOffset + data;
    }
    const std::size_t resourceSize = rsrc.bytes.size();
    layout.rootDirectory = kResourceFileOffset + root;
    layout.versionTypeEntry += kResourceFileOffset;
    layout.versionBlock = kResourceFileOffset + versionBlock;
    layout.versionBlockEnd = layout.versionBlock + versionBlockSize;

    auto& out = image.bytes;
    out.assign(kResourceFileOffset + AlignUp(resourceSize, kFileAlignment), 0);
    std::copy(rsrc.bytes.begin(), rsrc.bytes.end(),
              out.begin() + static_cast<std::ptrdiff_t>(kResourceFileOffset));

    // DOS header: signature and the offset of the PE header.
    out[0] = 'M';
    out[1] = 'Z';
    Put32(out, 0x3C, kPeHeaderOffset);

    // PE signature and file header.
    layout.peHeader = kPeHeaderOffset;
    out[kPeHeaderOffset] = 'P';
    out[kPeHeaderOffset + 1] = 'E';
    const std::size_t fileHeader = kPeHeaderOffset + 4;
    const std::uint16_t optionalSize = options.pe32Plus ? 240 : 224;
    Put16(out, fileHeader, options.pe32Plus ? 0x8664 : 0x014C);
    Put16(out, fileHeader + 2, 1);  // one section
    Put16(out, fileHeader + 16, optionalSize);
    Put16(out, fileHeader + 18, options.pe32Plus ? 0x0022 : 0x0102);

    // Optional header.
    const std::size_t opt = fileHeader + 20;
    layout.optionalHeader = opt;
    const std::uint32_t imageSize =
        layout.sectionRva + static_cast<std::uint32_t>(AlignUp(resourceSize, kSectionAlignment));
    Put16(out, opt, options.pe32Plus ? 0x020B : 0x010B);
    out[opt + 2] = 14;  // linker version
    if (options.pe32Plus) {
        Put64(out, opt + 24, 0x140000000ull);  // ImageBase
    } else {
        Put32(out, opt + 28, 0x00400000u);
    }
    Put32(out, opt + 32, kSectionAlignment);
    Put32(out, opt + 36, kFileAlignment);
    Put16(out, opt + 40, 6);  // operating system version
    Put16(out, opt + 48, 6);  // subsystem version
    Put32(out, opt + 56, imageSize);
    Put32(out, opt + 60, kResourceFileOffset);  // SizeOfHeaders
    Put16(out, opt + 68, 2);                    // Windows GUI
    const std::size_t stackFields = opt + 72;
    if (options.pe32Plus) {
        Put64(out, stackFields, 0x100000);
        Put64(out, stackFields + 8, 0x1000);
        Put64(out, stackFields + 16, 0x100000);
        Put64(out, stackFields + 24, 0x1000);
    } else {
        Put32(out, stackFields, 0x100000);
        Put32(out, stackFields + 4, 0x1000);
        Put32(out, stackFields + 8, 0x100000);
        Put32(out, stackFields + 12, 0x1000);
    }
    const std::size_t rvaCount = opt + (options.pe32Plus ? 108 : 92);
    layout.rvaCountField = rvaCount;
    Put32(out, rvaCount, 16);
    layout.resourceDirectory = rvaCount + 4 + 2 * 8;
    Put32(out, layout.resourceDirectory, layout.sectionRva);
    Put32(out, layout.resourceDirectory + 4, static_cast<std::uint32_t>(resourceSize));

    // Section table: .rsrc.
    const std::size_t section = opt + optionalSize;
    layout.sectionHeader = section;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(std::begin(name), std::end(name), out.begin() + static_cast<std::ptrdiff_t>(section));
    Put32(out, section + 8, static_cast<std::uint32_t>(resourceSize));
    Put32(out, section + 12, layout.sectionRva);
    Put32(out, section + 16, static_cast<std::uint32_t>(AlignUp(resourceSize, kFileAlignment)));
    Put32(out, section + 20, kResourceFileOffset);
    Put32(out, section + 36, 0x40000040u);  // initialised data, readable
    return image;
}
