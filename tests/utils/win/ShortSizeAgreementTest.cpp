// The size text made for other platforms follows the shell's StrFormatByteSizeW,
// which the Windows build uses: the same digits and units from 1024 bytes on
// (below that only the number is the same; the word for bytes is translated).
#include <windows.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "NumberText.h"

namespace {

std::wstring ShellText(std::int64_t size) {
    wchar_t buffer[260] = {};
    StrFormatByteSizeW(size, buffer, 260);
    return buffer;
}

TEST(ShortSizeAgreement, SameTextAsTheShell) {
    std::vector<std::int64_t> sizes = {1024,
                                       1340,
                                       10239,
                                       10240,
                                       23506,
                                       102399,
                                       102400,
                                       1023999,
                                       1024000,
                                       1234567,
                                       2400016,
                                       2400000000,
                                       std::numeric_limits<std::int64_t>::max()};
    for (int shift = 10; shift < 63; ++shift) {
        const std::int64_t power = std::int64_t{1} << shift;
        sizes.insert(sizes.end(),
                     {power - 1, power, power + 1, power / 1024 * 1000 - 1, power / 1024 * 1000});
    }
    std::mt19937_64 random(99);
    for (int i = 0; i < 2000; ++i) {
        sizes.push_back(static_cast<std::int64_t>(random() >> (1 + random() % 62)));
    }
    for (std::int64_t size : sizes) {
        if (size < 1024) {
            EXPECT_EQ(ShellText(size).rfind(std::to_wstring(size) + L" ", 0), 0u) << size;
        } else {
            EXPECT_EQ(ShortByteSizeText(size, L"."), ShellText(size)) << size;
        }
    }
}

}  // namespace
