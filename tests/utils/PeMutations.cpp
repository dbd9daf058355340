#include "PeMutations.h"

namespace {

void SetAt32(PeImage& image, std::size_t offset, std::uint32_t value) {
    Put32(image.bytes, offset, value);
}

const PeMutation kMutations[] = {
    {"dos-signature", [](PeImage& i) { i.bytes[0] = 'X'; }, false},
    {"pe-offset-past-end",
     [](PeImage& i) { SetAt32(i, 0x3C, static_cast<std::uint32_t>(i.bytes.size()) - 2); }, false},
    {"pe-offset-huge", [](PeImage& i) { SetAt32(i, 0x3C, 0xFFFFFFF0u); }, false},
    {"pe-signature", [](PeImage& i) { i.bytes[i.layout.peHeader + 1] = 'F'; }, false},
    {"optional-magic", [](PeImage& i) { Put16(i.bytes, i.layout.optionalHeader, 0x0107); }, false},
    {"optional-header-too-small",
     [](PeImage& i) { Put16(i.bytes, i.layout.peHeader + 4 + 16, 96); }, false},
    {"optional-header-huge", [](PeImage& i) { Put16(i.bytes, i.layout.peHeader + 4 + 16, 0xFFFF); },
     false},
    {"two-data-directories", [](PeImage& i) { SetAt32(i, i.layout.rvaCountField, 2); }, false},
    {"data-directory-count-huge",
     [](PeImage& i) { SetAt32(i, i.layout.rvaCountField, 0xFFFFFFFFu); }, true},
    {"no-resource-directory", [](PeImage& i) { SetAt32(i, i.layout.resourceDirectory, 0); }, false},
    {"resource-rva-outside-sections",
     [](PeImage& i) { SetAt32(i, i.layout.resourceDirectory, 0x9000); }, false},
    {"resource-rva-near-4g",
     [](PeImage& i) { SetAt32(i, i.layout.resourceDirectory, 0xFFFFFFF8u); }, false},
    {"no-sections", [](PeImage& i) { Put16(i.bytes, i.layout.peHeader + 4 + 2, 0); }, false},
    {"sections-huge", [](PeImage& i) { Put16(i.bytes, i.layout.peHeader + 4 + 2, 0xFFFF); }, false},
    {"section-data-past-end",
     [](PeImage& i) { SetAt32(i, i.layout.sectionHeader + 20, 0xFFFFFE00u); }, false},
    {"section-data-size-huge",
     [](PeImage& i) { SetAt32(i, i.layout.sectionHeader + 16, 0xFFFFFFFFu); }, true},
    {"section-data-size-short", [](PeImage& i) { SetAt32(i, i.layout.sectionHeader + 16, 0x40); },
     false},
    {"section-rva-near-4g",
     [](PeImage& i) {
         SetAt32(i, i.layout.sectionHeader + 12, 0xFFFFFF00u);
         SetAt32(i, i.layout.resourceDirectory, 0xFFFFFF00u);
     },
     false},
    {"root-entry-count-huge",
     [](PeImage& i) { Put16(i.bytes, i.layout.rootDirectory + 14, 0xFFFF); }, false},
    {"root-without-entries",
     [](PeImage& i) {
         Put16(i.bytes, i.layout.rootDirectory + 12, 0);
         Put16(i.bytes, i.layout.rootDirectory + 14, 0);
     },
     false},
    {"version-type-is-leaf",
     [](PeImage& i) {
         SetAt32(i, i.layout.versionTypeEntry + 4,
                 static_cast<std::uint32_t>(i.layout.dataEntry - i.layout.rootDirectory));
     },
     false},
    {"version-type-points-to-root",
     [](PeImage& i) { SetAt32(i, i.layout.versionTypeEntry + 4, 0x80000000u); }, false},
    {"version-type-points-outside",
     [](PeImage& i) { SetAt32(i, i.layout.versionTypeEntry + 4, 0xFFFFFFF0u); }, false},
    {"name-not-version-info", [](PeImage& i) { SetAt32(i, i.layout.nameDirectory + 16, 2); },
     false},
    {"name-is-a-string", [](PeImage& i) { SetAt32(i, i.layout.nameDirectory + 16, 0x80000001u); },
     false},
    {"language-points-to-root",
     [](PeImage& i) { SetAt32(i, i.layout.languageEntry + 4, 0x80000000u); }, false},
    {"language-points-to-itself",
     [](PeImage& i) {
         SetAt32(i, i.layout.languageEntry + 4,
                 0x80000000u | static_cast<std::uint32_t>(i.layout.languageDirectory -
                                                          i.layout.rootDirectory));
     },
     false},
    {"no-language", [](PeImage& i) { Put16(i.bytes, i.layout.languageDirectory + 14, 0); }, false},
    {"data-rva-outside", [](PeImage& i) { SetAt32(i, i.layout.dataEntry, 0x7000); }, false},
    {"data-rva-straddles-section-end",
     [](PeImage& i) {
         SetAt32(i, i.layout.dataEntry,
                 i.layout.sectionRva + static_cast<std::uint32_t>(0x200 - 40));
     },
     false},
    {"data-size-short", [](PeImage& i) { SetAt32(i, i.layout.dataEntry + 4, 91); }, false},
    {"data-size-huge", [](PeImage& i) { SetAt32(i, i.layout.dataEntry + 4, 0xFFFFFFFFu); }, true},
    {"block-length-short", [](PeImage& i) { Put16(i.bytes, i.layout.versionBlock, 40); }, false},
    {"block-length-past-data", [](PeImage& i) { Put16(i.bytes, i.layout.versionBlock, 0xFFFF); },
     false},
    {"no-fixed-file-info", [](PeImage& i) { Put16(i.bytes, i.layout.versionBlock + 2, 0); }, false},
    {"wrong-key", [](PeImage& i) { i.bytes[i.layout.versionBlock + 6] = 'W'; }, false},
    {"wrong-fixed-signature",
     [](PeImage& i) { SetAt32(i, i.layout.versionBlock + 40, 0xFEEF04BEu); }, false},
};

}  // namespace

std::span<const PeMutation> PeMutations() {
    return kMutations;
}
