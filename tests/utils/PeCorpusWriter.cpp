// Writes the seed files of the PE version regression corpus:
//   pe_corpus_writer <directory>
// Good images are named after their version (".v1.4.2.0"), broken ones end
// in ".none" unless the damage leaves the version readable.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "FileVersion.h"
#include "PeImageBuilder.h"
#include "PeMutations.h"

namespace {

std::string Suffix(bool keepsVersion, const FileVersion& version) {
    if (!keepsVersion) {
        return ".none";
    }
    return ".v" + std::to_string(version.Major) + "." + std::to_string(version.Minor) + "." +
           std::to_string(version.Release) + "." + std::to_string(version.Build);
}

void Write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pe_corpus_writer <directory>\n");
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);

    for (bool pe32Plus : {true, false}) {
        PeImageOptions options;
        options.pe32Plus = pe32Plus;
        const PeImage image = BuildPeImage(options);
        const std::string kind = pe32Plus ? "pe32plus" : "pe32";
        Write(dir / ("good-" + kind + Suffix(true, options.fileVersion)), image.bytes);

        // Cut inside each structure on the way to the version block.
        const std::size_t cuts[] = {2,
                                    0x3C,
                                    image.layout.peHeader + 10,
                                    image.layout.optionalHeader + 60,
                                    image.layout.sectionHeader + 20,
                                    image.layout.rootDirectory + 20,
                                    image.layout.dataEntry + 8,
                                    image.layout.versionBlockEnd - 1};
        for (std::size_t cut : cuts) {
            Write(dir / ("truncated-" + kind + "-" + std::to_string(cut) + ".none"),
                  std::vector<std::uint8_t>(
                      image.bytes.begin(), image.bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
        }
    }
    PeImageOptions unversioned;
    unversioned.withVersionResource = false;
    Write(dir / "no-version-resource.none", BuildPeImage(unversioned).bytes);

    for (const PeMutation& mutation : PeMutations()) {
        PeImage image = BuildPeImage();
        mutation.apply(image);
        Write(dir / (std::string(mutation.name) +
                     Suffix(mutation.keepsVersion, FileVersion{1, 4, 2, 0})),
              image.bytes);
    }
    return 0;
}
