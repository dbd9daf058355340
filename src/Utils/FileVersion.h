#pragma once
// The file version of a version resource: four 16-bit parts, most
// significant first.

#include <cstdint>
#include <string>

struct FileVersion {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;

    bool operator==(const FileVersion&) const = default;
};

// From VS_FIXEDFILEINFO's dwFileVersionMS and dwFileVersionLS.
inline FileVersion FileVersionFromWords(std::uint32_t mostSignificant,
                                        std::uint32_t leastSignificant) {
    return FileVersion{static_cast<std::uint16_t>(mostSignificant >> 16),
                       static_cast<std::uint16_t>(mostSignificant & 0xFFFF),
                       static_cast<std::uint16_t>(leastSignificant >> 16),
                       static_cast<std::uint16_t>(leastSignificant & 0xFFFF)};
}

// "1.4.2.0"
inline std::wstring FileVersionText(const FileVersion& version) {
    return std::to_wstring(version.Major) + L'.' + std::to_wstring(version.Minor) + L'.' +
           std::to_wstring(version.Release) + L'.' + std::to_wstring(version.Build);
}
