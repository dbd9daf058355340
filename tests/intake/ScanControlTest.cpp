// Deferring a close while intakes scan folders.

#include <gtest/gtest.h>

#include "FolderScanControl.h"

namespace {

class ScanControlTest : public ::testing::Test {
  protected:
    int messageRuns = 0;
    int resumes = 0;
    TScanControl control{[this] { ++messageRuns; }, [this] { ++resumes; }};
};

TEST_F(ScanControlTest, WithoutARunningIntakeTheCloseProceeds) {
    EXPECT_FALSE(control.Closing());
    EXPECT_FALSE(control.DeferClose());
    EXPECT_TRUE(control.Closing()) << "from now on intakes are refused";
    control.Reopen();
    EXPECT_FALSE(control.Closing()) << "until the next window opens";
    EXPECT_FALSE(control.Aborted());
    EXPECT_TRUE(control.KeepScanning());
    EXPECT_EQ(messageRuns, 1);
    EXPECT_EQ(resumes, 0);
}

TEST_F(ScanControlTest, ACloseDuringAnIntakeAbortsAndResumesOnceWhenTheOutermostIntakeEnds) {
    {
        TScanControl::TScope outer(control);
        EXPECT_TRUE(control.Scanning());
        {
            TScanControl::TScope nested(control);  // an intake run from the outer one's messages
            EXPECT_TRUE(control.DeferClose());
            EXPECT_TRUE(control.DeferClose());  // a repeated request is absorbed
            EXPECT_FALSE(control.KeepScanning());
        }
        EXPECT_EQ(resumes, 0);
        EXPECT_TRUE(control.Aborted());
        EXPECT_FALSE(control.KeepScanning());
    }
    EXPECT_EQ(messageRuns, 0) << "an aborted scan processes no more messages";
    EXPECT_EQ(resumes, 1);
    EXPECT_FALSE(control.Scanning());
    EXPECT_FALSE(control.Aborted());
    EXPECT_FALSE(control.Closing()) << "the close is asked again and decided then";
}

TEST_F(ScanControlTest, AnIntakeWithoutCloseRequestResumesNothing) {
    { TScanControl::TScope scope(control); }
    EXPECT_EQ(resumes, 0);
    EXPECT_FALSE(control.Aborted());
}

}  // namespace
