// A folder chain thousands of levels deep, expanded on a thread whose stack
// is far smaller than the UI thread's: the scan's depth must not cost stack.

#include <gtest/gtest.h>
#include <pthread.h>

#include <cstddef>
#include <memory>
#include <string>

#include "FolderScan.h"

namespace {

// "R", "R\d", "R\d\d"...: each folder holds the subfolder "d" (down to
// `depth` levels) and the file "f". A path's length tells its level, so the
// tree costs no memory of its own. Every folder has an identity of its own.
class FolderChain : public TFileSystem {
  public:
    explicit FolderChain(std::size_t depth) : depth_(depth) {}

    wchar_t Separator() const override { return L'\\'; }

    std::unique_ptr<TDirectoryListing> List(const std::wstring& folder, TScanPass) override {
        return std::make_unique<Listing>(Level(folder) < depth_);
    }

    TPathInfo Inspect(const std::wstring& path) override {
        if (path.back() == L'f') return {TPathKind::File, {}};
        return {TPathKind::Directory, TFolderIdentity{1, Level(path)}};
    }

    static std::size_t Level(const std::wstring& path) { return (path.size() - 1) / 2; }

  private:
    class Listing : public TDirectoryListing {
      public:
        explicit Listing(bool hasSubfolder) : next_(hasSubfolder ? 0 : 1) {}
        bool Next(TListedEntry& entry) override {
            if (next_ > 1) return false;
            entry = next_++ == 0 ? TListedEntry{L"d", false} : TListedEntry{L"f", true};
            return true;
        }

      private:
        int next_;
    };

    std::size_t depth_;
};

struct ScanResult {
    std::size_t files = 0;
    bool deepestFirst = true;  // each file one level above the one before
    std::size_t firstLength = 0;
};

struct ScanRun {
    std::size_t depth;
    ScanResult result;
};

void* ScanChain(void* argument) {
    auto& run = *static_cast<ScanRun*>(argument);
    FolderChain chain(run.depth);
    TScanControl control(nullptr, nullptr);
    std::size_t previousLength = 0;
    ExpandFolder(L"R", chain, control, [&](const std::wstring& path) {
        if (run.result.files++ == 0) {
            run.result.firstLength = path.size();
        } else if (path.size() + 2 != previousLength) {
            run.result.deepestFirst = false;
        }
        previousLength = path.size();
    });
    return nullptr;
}

TEST(DeepFolderScanTest, TenThousandLevelsOnASmallStack) {
    constexpr std::size_t kDepth = 10000;  // paths of 20,003 characters
    ScanRun run{kDepth, {}};
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, ScanChain, &run), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);

    EXPECT_EQ(run.result.files, kDepth + 1);
    EXPECT_EQ(run.result.firstLength, 2 * kDepth + 3) << "the deepest file comes first";
    EXPECT_TRUE(run.result.deepestFirst);
}

}  // namespace
