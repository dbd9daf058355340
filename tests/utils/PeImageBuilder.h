#pragma once
// Builds small PE images in memory: headers, one .rsrc section and a resource
// tree holding a version resource. The layout offsets let tests break one
// structure at a time.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FileVersion.h"

struct PeImageOptions {
    bool pe32Plus = true;
    bool withVersionResource = true;
    bool withOtherResources = true;  // a named type and RT_ICON before RT_VERSION
    FileVersion fileVersion{1, 4, 2, 0};
    FileVersion productVersion{9, 8, 7, 6};
};

struct PeImageLayout {
    std::size_t peHeader = 0;           // "PE\0\0"
    std::size_t optionalHeader = 0;     // its magic
    std::size_t rvaCountField = 0;      // NumberOfRvaAndSizes
    std::size_t resourceDirectory = 0;  // data directory 2: RVA, size
    std::size_t sectionHeader = 0;      // the .rsrc section header
    std::size_t rootDirectory = 0;      // resource directory of the types
    std::size_t versionTypeEntry = 0;   // root entry of RT_VERSION
    std::size_t nameDirectory = 0;      // directory of the version resource names
    std::size_t languageDirectory = 0;  // directory of the languages
    std::size_t languageEntry = 0;
    std::size_t dataEntry = 0;     // IMAGE_RESOURCE_DATA_ENTRY
    std::size_t versionBlock = 0;  // VS_VERSIONINFO
    std::size_t versionBlockEnd = 0;
    std::uint32_t sectionRva = 0;
};

struct PeImage {
    std::vector<std::uint8_t> bytes;
    PeImageLayout layout;
};

PeImage BuildPeImage(const PeImageOptions& options = {});

// Little-endian writes into an image, for tests that break it.
void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);
void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
