#pragma once
// Writing a whole buffer through a sink that may take less than it is given,
// and cutting a long text into pieces to convert and write one by one.

#include <cstddef>
#include <functional>
#include <string_view>

// Writes up to `size` bytes and returns how many it took; 0 means failure.
using ByteSink = std::function<std::size_t(const char* data, std::size_t size)>;

// Hands `bytes` to the sink in pieces of at most `chunkSize` bytes until all
// are written. Returns false as soon as the sink takes nothing; what it took
// before stays written.
bool WriteAllBytes(std::string_view bytes, std::size_t chunkSize, const ByteSink& sink);

// End of the piece of `text` that starts at `start` and holds at most
// `maxLength` characters (at least one), moved back so that it does not end
// between the two halves of a surrogate pair. Converting pieces one by one
// then gives the same bytes as converting the whole text.
std::size_t TextPieceEnd(std::wstring_view text, std::size_t start, std::size_t maxLength);
