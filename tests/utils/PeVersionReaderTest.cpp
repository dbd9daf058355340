#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "PeImageBuilder.h"
#include "PeMutations.h"
#include "PeVersionReader.h"
#include "TestFiles.h"

namespace {

const FileVersion kBuiltVersion{1, 4, 2, 0};

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | (std::uint32_t{bytes[offset + 1]} << 8) |
           (std::uint32_t{bytes[offset + 2]} << 16) | (std::uint32_t{bytes[offset + 3]} << 24);
}

TEST(PeVersionReader, ReadsFileVersionNotProductVersion) {
    for (bool pe32Plus : {true, false}) {
        for (bool others : {true, false}) {
            PeImageOptions options;
            options.pe32Plus = pe32Plus;
            options.withOtherResources = others;
            options.fileVersion = {3, 14, 159, 26535};
            options.productVersion = {2, 7, 1, 8};
            const auto version = ReadPeFileVersion(BuildPeImage(options).bytes);
            ASSERT_TRUE(version.has_value()) << "PE32+ " << pe32Plus << " others " << others;
            EXPECT_EQ(*version, (FileVersion{3, 14, 159, 26535}));
        }
    }
}

TEST(PeVersionReader, NoVersionResource) {
    PeImageOptions options;
    options.withVersionResource = false;
    EXPECT_FALSE(ReadPeFileVersion(BuildPeImage(options).bytes).has_value());
}

TEST(PeVersionReader, EmptyAndTinyInputs) {
    EXPECT_FALSE(ReadPeFileVersion(std::span<const std::uint8_t>()).has_value());
    const std::uint8_t mz[] = {'M', 'Z'};
    EXPECT_FALSE(ReadPeFileVersion(mz).has_value());
}

TEST(PeVersionReader, BrokenStructures) {
    for (const PeMutation& mutation : PeMutations()) {
        PeImage image = BuildPeImage();
        mutation.apply(image);
        const auto version = ReadPeFileVersion(image.bytes);
        if (mutation.keepsVersion) {
            EXPECT_EQ(version, std::optional<FileVersion>(kBuiltVersion)) << mutation.name;
        } else {
            EXPECT_FALSE(version.has_value()) << mutation.name;
        }
    }
}

// Every cut of a good image: no version until the version block is whole,
// then the right one.
TEST(PeVersionReader, EveryTruncation) {
    for (bool pe32Plus : {true, false}) {
        PeImageOptions options;
        options.pe32Plus = pe32Plus;
        const PeImage image = BuildPeImage(options);
        for (std::size_t size = 0; size < image.bytes.size(); ++size) {
            const auto version =
                ReadPeFileVersion(std::span<const std::uint8_t>(image.bytes.data(), size));
            if (size < image.layout.versionBlockEnd) {
                ASSERT_FALSE(version.has_value()) << "size " << size;
            } else {
                ASSERT_EQ(version, std::optional<FileVersion>(kBuiltVersion)) << "size " << size;
            }
        }
    }
}

// Random byte changes in a good image never lead outside the data (the
// sanitizers watch), and a version read is the one the image holds.
TEST(PeVersionReader, RandomDamage) {
    const PeImage original = BuildPeImage();
    std::mt19937 random(1234);
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::uint8_t> bytes = original.bytes;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) {
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        const auto version = ReadPeFileVersion(bytes);
        if (version) {
            // The image holds one fixed file information block; a version
            // must come from it, as it stands after the damage.
            const std::size_t fixed = original.layout.versionBlock + 40;
            ASSERT_EQ(ReadU32(bytes, fixed), 0xFEEF04BDu) << "round " << round;
            ASSERT_EQ(*version,
                      FileVersionFromWords(ReadU32(bytes, fixed + 8), ReadU32(bytes, fixed + 12)))
                << "round " << round;
        }
    }
}

// "name.v1.4.2.0" gives 1.4.2.0.
std::optional<FileVersion> VersionInName(const std::string& name) {
    const auto at = name.rfind(".v");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream in(name.substr(at + 2));
    unsigned parts[4] = {};
    char dot[3] = {};
    if (!(in >> parts[0] >> dot[0] >> parts[1] >> dot[1] >> parts[2] >> dot[2] >> parts[3]) ||
        dot[0] != '.' || dot[1] != '.' || dot[2] != '.' || !in.eof()) {
        return std::nullopt;
    }
    return FileVersion{static_cast<std::uint16_t>(parts[0]), static_cast<std::uint16_t>(parts[1]),
                       static_cast<std::uint16_t>(parts[2]), static_cast<std::uint16_t>(parts[3])};
}

// The regression corpus: every file must be read without harm. A name ending
// in ".v1.2.3.4" asks for that version, one ending in ".none" for none.
TEST(PeVersionReader, RegressionCorpus) {
    const std::filesystem::path corpus(VARUDODI_PE_CORPUS_DIR);
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        ++files;
        const std::string name = entry.path().filename().string();
        const auto version = ReadPeFileVersion(ReadWholeFile(entry.path()));
        if (const auto expected = VersionInName(name)) {
            EXPECT_EQ(version, expected) << name;
        } else if (name.ends_with(".none")) {
            EXPECT_FALSE(version.has_value()) << name;
        }
    }
    EXPECT_GE(files, 20);
}

}  // namespace
