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
    QueueDroppedPaths({L"R:\\loose.bin", L"R:\\data", L"R:\\gone.txt", L"R:\\loose.bin"}, fs, control, append);

    EXPECT_EQ(queued, (Paths{L"R:\\loose.bin", L"R:\\data\\sub\\two.txt", L"R:\\data\\one.txt",
                             L"R:\\loose.bin"}));
}

TEST_F(IntakeTest, CommandLineExpandsFoldersAndQueuesEverythingElseAsWritten) {
    const bool start = QueueCommandLine({L"relative\\name.txt", L"R:\\data", L"R:\\gone.txt", L"R:\\loose.bin"}, fs,
                                        control, append);

    EXPECT_TRUE(start);
    EXPECT_EQ(queued, (Paths{L"relative\\name.txt", L"R:\\data\\sub\\two.txt", L"R:\\data\\one.txt",
                             L"R:\\gone.txt", L"R:\\loose.bin"}));
}

TEST_F(IntakeTest, CommandLineStartsAJobForAnyArgumentButNotForNone) {
    fs.AddFolder(L"R:\\empty");
    EXPECT_TRUE(QueueCommandLine({L"R:\\empty"}, fs, control, append));
    EXPECT_TRUE(queued.empty());
    EXPECT_FALSE(QueueCommandLine({}, fs, control, append));
}

TEST_F(IntakeTest, AClosedWindowStopsTheIntakeAndStartsNoJob) {
    TScanControl closing([&] { closing.DeferClose(); }, nullptr);
    TScanControl::TScope scope(closing);

    EXPECT_FALSE(QueueCommandLine({L"R:\\data", L"R:\\loose.bin"}, fs, closing, append));
    QueueDroppedPaths({L"R:\\data", L"R:\\loose.bin"}, fs, closing, append);

    EXPECT_TRUE(queued.empty());
}

}  // namespace
