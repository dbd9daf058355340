// The list reader's fuzzing corpus, replayed: every input that once broke a
// rule (or shows a line form worth keeping) must keep every rule, so that a
// fixed fault stays fixed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ChecksumListInvariants.h"

namespace {

TEST(ListCorpus, EveryInputKeepsTheReadersRules) {
    const std::filesystem::path corpus(VARUDODI_LIST_CORPUS_DIR);
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(CheckListInvariants(bytes), "") << entry.path().filename();
        ++inputs;
    }
    EXPECT_GE(inputs, 10);
}

}  // namespace
