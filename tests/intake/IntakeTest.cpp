// What the drop and command-line intakes queue for each given path.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeFileSystem.h"
#include "Intake.h"

namespace {

using Paths = std::vector<std::wstring>;

class IntakeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs.AddFolder(L"R:\\data");
        fs.AddFile(L"R:\\data\\one.txt");
        fs.AddFolder(L"R:\\data\\sub");
        fs.AddFile(L"R:\\data\\sub\\two.txt");
        fs.AddFile(L"R:\\loose.bin");
    }

    TFakeFileSystem fs;
    TScanControl control{nullptr, nullptr};
    Paths queued;
    TAppendPath append = [this](const std::wstring& path) { queued.push_back(path); };
};

TEST_F(IntakeTest, DroppedItemsKeepTheirOrderAndMissingPathsYieldNothing) {
    QueueDroppedPaths({L"R:\\loose.bin", L"R:\\data", L"R:\\gone.txt", L"R:\\loose.bin"}, fs,
                      control, append);

    EXPECT_EQ(queued, (Paths{L"R:\\loose.bin", L"R:\\data\\sub\\two.txt", L"R:\\data\\one.txt",
                             L"R:\\loose.bin"}));
}

TEST_F(IntakeTest, CommandLineExpandsFoldersAndQueuesEverythingElseAsWritten) {
    const bool start = QueueCommandLineArguments(
        {L"relative\\name.txt", L"R:\\data", L"R:\\gone.txt", L"R:\\loose.bin"}, fs, control,
        append);

    EXPECT_TRUE(start);
    EXPECT_EQ(queued, (Paths{L"relative\\name.txt", L"R:\\data\\sub\\two.txt", L"R:\\data\\one.txt",
                             L"R:\\gone.txt", L"R:\\loose.bin"}));
}

TEST_F(IntakeTest, CommandLineStartsAJobForAnyArgumentButNotForNone) {
    fs.AddFolder(L"R:\\empty");
    EXPECT_TRUE(QueueCommandLineArguments({L"R:\\empty"}, fs, control, append));
    EXPECT_TRUE(queued.empty());
    EXPECT_FALSE(QueueCommandLineArguments({}, fs, control, append));
}

TEST_F(IntakeTest, AClosedWindowStopsTheIntakeAndStartsNoJob) {
    TScanControl closing([&] { closing.DeferClose(); }, nullptr);
    TScanControl::TScope scope(closing);

    EXPECT_FALSE(QueueCommandLineArguments({L"R:\\data", L"R:\\loose.bin"}, fs, closing, append));
    QueueDroppedPaths({L"R:\\data", L"R:\\loose.bin"}, fs, closing, append);

    EXPECT_TRUE(queued.empty());
}

}  // namespace

namespace {

struct TSelectionCase {
    std::wstring Buffer;
    std::vector<std::wstring> Expected;
};

TEST(OpenDialogSelectionTest, GivesFullPathsInTheDialogOrder) {
    using namespace std::string_literals;
    const TSelectionCase cases[] = {
        {L"C:\\dir\\only.txt\0\0"s, {L"C:\\dir\\only.txt"}},
        {L"C:\\dir\0b.txt\0a.txt\0missing.txt\0\0"s,
         {L"C:\\dir\\b.txt", L"C:\\dir\\a.txt", L"C:\\dir\\missing.txt"}},
        {L"C:\\\0x\0y\0\0"s, {L"C:\\x", L"C:\\y"}},  // a root folder keeps its one backslash
        {L"\\\\srv\\share\0n\0D:\\typed\\full.txt\0\0"s,
         {L"\\\\srv\\share\\n", L"D:\\typed\\full.txt"}},
        {L"\0"s, {}},
    };
    for (const TSelectionCase& c : cases) EXPECT_EQ(OpenDialogSelection(c.Buffer), c.Expected);
}

}  // namespace
