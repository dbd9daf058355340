#pragma once
// The paths that one start of the program hands over to the window that
// collects its burst of starts (Explorer starts the program once per selected
// item). The sender encodes them; the window takes them only when every check
// passes, since the data comes from another process.
//
// The payload: a 32-bit little-endian count of the UTF-16 units that follow,
// then the paths, each ended by a NUL.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// WM_COPYDATA's dwData of a hand-over ("VHO1"); any other tag is not one.
inline constexpr std::uint32_t kHandOverTag = 0x31484F56;
// A hand-over is at most this long: the paths of one start.
inline constexpr std::size_t kHandOverMaxBytes = 1u << 20;
// The longest path a Windows file API takes, in UTF-16 units.
inline constexpr std::size_t kHandOverMaxPathUnits = 32767;

// The payload for the given paths; empty when a path cannot be handed over
// (see DecodeHandOver) or the whole would be longer than kHandOverMaxBytes.
std::vector<std::uint8_t> EncodeHandOver(const std::vector<std::wstring>& paths);

// The paths of a payload, or nothing when it is no whole hand-over: shorter
// than its count, or longer; an odd number of bytes; no NUL at its end; an
// empty path; a path longer than kHandOverMaxPathUnits, not absolute or
// holding a control character (no file name has one, and a line break would
// add a line of the sender's own to the report).
std::optional<std::vector<std::wstring>> DecodeHandOver(const void* data, std::size_t size);

// A full Windows path: a drive letter, a colon and a separator, or a UNC or
// device path ("\\server\share", "\\?\C:\").
bool IsAbsoluteWindowsPath(std::wstring_view path);
