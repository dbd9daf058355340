// Writing a whole buffer through a sink that takes pieces or fails part way.

#include <gtest/gtest.h>

#include <string>

#include "ChunkedWrite.h"

namespace {

// Takes at most `takeLimit` bytes per call and fails once `failAfter` bytes
// are stored.
struct FakeSink {
    std::string stored;
    std::size_t takeLimit = 1u << 30;
    std::size_t failAfter = 1u << 30;
    int calls = 0;

    std::size_t Write(const char* data, std::size_t size) {
        ++calls;
        if (stored.size() >= failAfter) return 0;
        const std::size_t take = std::min({size, takeLimit, failAfter - stored.size()});
        stored.append(data, take);
        return take;
    }
    ByteSink AsSink() {
        return [this](const char* data, std::size_t size) { return Write(data, size); };
    }
};

TEST(ChunkedWriteTest, WritesEverythingInChunks) {
    const std::string bytes(10000, 'x');
    FakeSink sink;
    EXPECT_TRUE(WriteAllBytes(bytes, 4096, sink.AsSink()));
    EXPECT_EQ(sink.stored, bytes);
    EXPECT_EQ(sink.calls, 3);
}

TEST(ChunkedWriteTest, ShortWritesAreContinued) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>('a' + i % 26);
    FakeSink sink;
    sink.takeLimit = 7;
    EXPECT_TRUE(WriteAllBytes(bytes, 64, sink.AsSink()));
    EXPECT_EQ(sink.stored, bytes);
}

TEST(ChunkedWriteTest, FailurePartWayKeepsWhatWasWritten) {
    const std::string bytes(10000, 'y');
    FakeSink sink;
    sink.failAfter = 5000;
    EXPECT_FALSE(WriteAllBytes(bytes, 4096, sink.AsSink()));
    EXPECT_EQ(sink.stored.size(), 5000u);
}

TEST(ChunkedWriteTest, NothingToWriteNeverCallsTheSink) {
    FakeSink sink;
    EXPECT_TRUE(WriteAllBytes({}, 4096, sink.AsSink()));
    EXPECT_EQ(sink.calls, 0);
}

TEST(ChunkedWriteTest, SinkClaimingMoreThanItWasGivenFails) {
    const ByteSink liar = [](const char*, std::size_t size) { return size + 1; };
    EXPECT_FALSE(WriteAllBytes("abc", 2, liar));
}

TEST(ChunkedWriteTest, TextPiecesNeverSplitASurrogatePair) {
    // U+1F600 as a surrogate pair at positions 3 and 4.
    const std::wstring text =
        L"abc\xD83D\xDE00"
        L"defg";
    struct Case {
        std::size_t Start, MaxLength, End;
    } cases[] = {
        {0, 4, 3},  // would end after the high half: moved back
        {0, 5, 5},  // ends after the pair
        {0, 3, 3},
        {3, 1, 5},  // at least one whole pair
        {5, 100, text.size()},
        {text.size(), 4, text.size()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextPieceEnd(text, c.Start, c.MaxLength), c.End) << c.Start << "/" << c.MaxLength;
    }
    // Walking the whole text in pieces visits every character once.
    std::wstring joined;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = TextPieceEnd(text, pos, 4);
        ASSERT_GT(end, pos);
        joined += text.substr(pos, end - pos);
        pos = end;
    }
    EXPECT_EQ(joined, text);
}

}  // namespace
