// Digests of large random files against coreutils and Python's zlib.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "HashContext.h"

namespace {

constexpr std::size_t kReadChunkSize = 6'553'600;

std::string RunForFirstWord(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return {};
    }
    std::string output;
    std::array<char, 256> buffer;
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get()) != nullptr) {
        output += buffer.data();
    }
    return output.substr(0, output.find_first_of(" \n"));
}

std::string Narrow(const std::wstring& text) {
    return {text.begin(), text.end()};
}

// Hashes the file the way the job does: chunk by chunk into one context.
std::string DigestOfFile(const std::filesystem::path& path, std::uint32_t algId) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(kReadChunkSize);
    THashContext ctx;
    HashInit(ctx, algId);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        HashUpdate(ctx, chunk.data(), static_cast<std::int32_t>(in.gcount()));
    }
    return Narrow(HashFinal(ctx, false));
}

TEST(ReferenceTools, LargeRandomFilesAgree) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("varudodi-hash-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::mt19937_64 random(42);
    for (std::size_t size : {std::size_t{1}, kReadChunkSize, 3 * kReadChunkSize + 4099}) {
        const auto path = dir / ("random-" + std::to_string(size));
        {
            std::vector<std::uint64_t> words(size / 8 + 1);
            for (auto& w : words) {
                w = random();
            }
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(words.data()),
                      static_cast<std::streamsize>(size));
        }
        const std::string quoted = "'" + path.string() + "'";
        EXPECT_EQ(DigestOfFile(path, CALG_MD5), RunForFirstWord("md5sum " + quoted));
        EXPECT_EQ(DigestOfFile(path, CALG_SHA1), RunForFirstWord("sha1sum " + quoted));
        EXPECT_EQ(DigestOfFile(path, CALG_SHA_256), RunForFirstWord("sha256sum " + quoted));
        EXPECT_EQ(DigestOfFile(path, CALG_CRC32),
                  RunForFirstWord("python3 -c \"import sys, zlib; "
                                  "print('%08x' % zlib.crc32(open(sys.argv[1], 'rb').read()))\" " +
                                  quoted));
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
