// The folder expansion over an in-memory tree whose listing order is fixed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeFileSystem.h"
#include "FolderScan.h"

namespace {

using Paths = std::vector<std::wstring>;

class FolderScanTest : public ::testing::Test {
  protected:
    Paths Expand(const std::wstring& folder) {
        Paths queued;
        ExpandFolder(folder, fs, control,
                     [&](const std::wstring& path) { queued.push_back(path); });
        return queued;
    }

    TFakeFileSystem fs;
    int messageRuns = 0;
    TScanControl control{[this] { ++messageRuns; }, nullptr};
};

TEST_F(FolderScanTest, EachSubfolderIsCompleteBeforeTheFolderOwnFiles) {
    for (const bool listingTellsFiles : {true, false}) {
        fs = TFakeFileSystem();
        fs.ReportFileTypes(listingTellsFiles);
        fs.AddFolder(L"R:\\top");
        fs.AddFile(L"R:\\top\\a.txt");
        fs.AddFolder(L"R:\\top\\sub1");
        fs.AddFile(L"R:\\top\\sub1\\s1.txt");
        fs.AddFolder(L"R:\\top\\sub1\\deep");
        fs.AddFile(L"R:\\top\\sub1\\deep\\d.txt");
        fs.AddFile(L"R:\\top\\b.txt");
        fs.AddFolder(L"R:\\top\\sub2");
        fs.AddFile(L"R:\\top\\sub2\\s2.txt");

        EXPECT_EQ(Expand(L"R:\\top"),
                  (Paths{L"R:\\top\\sub1\\deep\\d.txt", L"R:\\top\\sub1\\s1.txt",
                         L"R:\\top\\sub2\\s2.txt", L"R:\\top\\a.txt", L"R:\\top\\b.txt"}));
    }
}

TEST_F(FolderScanTest, HiddenSubfoldersAreNeverEnteredWhileHiddenFilesAreQueued) {
    fs.AddFolder(L"R:\\top");
    fs.AddFolder(L"R:\\top\\hid", /*hidden=*/true);
    fs.AddFile(L"R:\\top\\hid\\inside.txt");
    fs.AddFile(L"R:\\top\\h.txt", /*hidden=*/true);
    fs.AddFile(L"R:\\top\\v.txt");

    EXPECT_EQ(Expand(L"R:\\top"), (Paths{L"R:\\top\\h.txt", L"R:\\top\\v.txt"}));
}

TEST_F(FolderScanTest, PathsAreFolderSeparatorAndNameConcatenated) {
    fs.AddFolder(L"T:\\");
    fs.AddFolder(L"T:\\\\s");
    fs.AddFile(L"T:\\\\s\\g");
    fs.AddFile(L"T:\\\\f");

    EXPECT_EQ(Expand(L"T:\\"), (Paths{L"T:\\\\s\\g", L"T:\\\\f"}));
}

TEST_F(FolderScanTest, MessagesAreProcessedBeforeEveryEntryOfBothPasses) {
    fs.AddFolder(L"R:\\top");
    fs.AddFile(L"R:\\top\\f");
    fs.AddFolder(L"R:\\top\\s");
    fs.AddFile(L"R:\\top\\s\\g");
    std::vector<std::wstring> events;
    TScanControl recording([&] { events.push_back(L"messages"); }, nullptr);

    ExpandFolder(L"R:\\top", fs, recording,
                 [&](const std::wstring& path) { events.push_back(path); });

    // Listings (with "." and ".."): top pass 1 has 4 entries, s pass 1 and
    // pass 2 have 3 each, top pass 2 has 4.
    EXPECT_EQ(std::count(events.begin(), events.end(), L"messages"), 14);
    const auto g = std::find(events.begin(), events.end(), L"R:\\top\\s\\g");
    const auto f = std::find(events.begin(), events.end(), L"R:\\top\\f");
    ASSERT_NE(g, events.end());
    ASSERT_NE(f, events.end());
    EXPECT_EQ(*(g - 1), L"messages");
    EXPECT_EQ(*(f - 1), L"messages");
}

TEST_F(FolderScanTest, LinksBackUpTheCurrentPathAreNotEnteredAgain) {
    fs.AddFolder(L"R:\\top");
    fs.AddFolder(L"R:\\top\\x");
    fs.AddLink(L"R:\\top\\x\\toTop", L"R:\\top");
    fs.AddFolder(L"R:\\top\\x\\y");
    fs.AddLink(L"R:\\top\\x\\y\\toX", L"R:\\top\\x");
    fs.AddFile(L"R:\\top\\x\\y\\f.txt");
    fs.AddFile(L"R:\\top\\root.txt");

    EXPECT_EQ(Expand(L"R:\\top"), (Paths{L"R:\\top\\x\\y\\f.txt", L"R:\\top\\root.txt"}));
}

TEST_F(FolderScanTest, ALinkToAFolderOffTheCurrentPathIsEnteredLikeAnyFolder) {
    fs.AddFolder(L"R:\\top");
    fs.AddFolder(L"R:\\top\\a");
    fs.AddFile(L"R:\\top\\a\\a.txt");
    fs.AddLink(L"R:\\top\\toA", L"R:\\top\\a");

    EXPECT_EQ(Expand(L"R:\\top"), (Paths{L"R:\\top\\a\\a.txt", L"R:\\top\\toA\\a.txt"}));
}

TEST_F(FolderScanTest, ExpandingALinkToAnAncestorStopsAtTheAncestor) {
    fs.AddFolder(L"R:\\top");
    fs.AddFolder(L"R:\\top\\in");
    fs.AddLink(L"R:\\top\\in\\up", L"R:\\top");
    fs.AddFile(L"R:\\top\\in\\i.txt");

    // Started at the link itself: its target is on the path from the start.
    EXPECT_EQ(Expand(L"R:\\top\\in\\up"), (Paths{L"R:\\top\\in\\up\\in\\i.txt"}));
}

TEST_F(FolderScanTest, FoldersOfUnknownIdentityAreStillEntered) {
    fs.AddFolder(L"R:\\top");
    fs.AddFolder(L"R:\\top\\locked");
    fs.AddFile(L"R:\\top\\locked\\l.txt");
    fs.HideIdentity(L"R:\\top");
    fs.HideIdentity(L"R:\\top\\locked");

    EXPECT_EQ(Expand(L"R:\\top"), (Paths{L"R:\\top\\locked\\l.txt"}));
}

TEST_F(FolderScanTest, FoldersThatCannotBeListedContributeNothing) {
    fs.AddFolder(L"R:\\top");
    fs.AddFolder(L"R:\\top\\closed");
    fs.AddFile(L"R:\\top\\closed\\c.txt");
    fs.AddFile(L"R:\\top\\t.txt");
    fs.MakeUnlistable(L"R:\\top\\closed");
    fs.AddFile(L"R:\\file.txt");

    EXPECT_EQ(Expand(L"R:\\top"), (Paths{L"R:\\top\\t.txt"}));
    EXPECT_EQ(Expand(L"R:\\missing"), Paths{});
    EXPECT_EQ(Expand(L"R:\\file.txt"), Paths{});
}

TEST_F(FolderScanTest, ADeferredCloseCutsTheScanShort) {
    fs.AddFolder(L"R:\\top");
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"}) {
        fs.AddFolder(std::wstring(L"R:\\top\\") + name);
        fs.AddFile(std::wstring(L"R:\\top\\") + name + L"\\f");
    }
    Paths queued;
    int runsAfterClose = -1;
    TScanControl closing(
        [&] {
            if (runsAfterClose >= 0) {
                ++runsAfterClose;
            } else if (queued.size() == 1) {
                // The user closes the window once the first subfolder is queued.
                EXPECT_TRUE(closing.DeferClose());
                runsAfterClose = 0;
            }
        },
        nullptr);
    {
        TScanControl::TScope scope(closing);
        ExpandFolder(L"R:\\top", fs, closing,
                     [&](const std::wstring& path) { queued.push_back(path); });
        EXPECT_TRUE(closing.Aborted());
    }
    EXPECT_EQ(queued, Paths{L"R:\\top\\a\\f"});
    EXPECT_EQ(runsAfterClose, 0);

    // The abort ends with the intake that was running.
    EXPECT_FALSE(closing.Aborted());
    ExpandFolder(L"R:\\top\\b", fs, closing,
                 [&](const std::wstring& path) { queued.push_back(path); });
    EXPECT_EQ(queued.back(), L"R:\\top\\b\\f");
}

}  // namespace
