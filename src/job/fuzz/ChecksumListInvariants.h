#pragma once
// What must hold for a checksum list of any bytes, checked by the list
// reader's fuzzer and by the test that replays its corpus: the reader never
// gives an entry whose name could put a line of its own into the report, the
// paths it resolves are told apart as files, devices and shares, and every
// entry written back into a list reads as the same file with the same digest.

#include <string>
#include <string_view>

// The first broken rule for these bytes, or empty when all hold.
std::string CheckListInvariants(std::string_view bytes);
