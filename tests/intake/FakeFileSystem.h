#pragma once
// An in-memory file system for the scan tests: folders list their entries in
// the order they were added, entries may be hidden, and links name another
// folder of the tree.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FolderScanFileSystem.h"

class TFakeFileSystem : public TFileSystem {
  public:
    struct TEntry {
        std::wstring Name;
        bool Hidden = false;
    };

    explicit TFakeFileSystem(wchar_t separator = L'\\') : separator_(separator) {}

    // `path` is a full path formed with the separator.
    void AddFolder(const std::wstring& path, bool hidden = false) {
        Add(path, TNode{true, {}, {}}, hidden);
    }
    void AddFile(const std::wstring& path, bool hidden = false) {
        Add(path, TNode{false, {}, {}}, hidden);
    }
    // An entry that names the folder `target`, as a link or junction does.
    void AddLink(const std::wstring& path, const std::wstring& target) {
        Add(path, TNode{true, target, {}}, false);
    }
    // A folder whose listing fails.
    void MakeUnlistable(const std::wstring& path) { unlistable_.push_back(path); }
    // Whether listings tell plain files apart, as most file systems do.
    void ReportFileTypes(bool report) { reportFileTypes_ = report; }
    // A folder whose identity the platform cannot tell.
    void HideIdentity(const std::wstring& path) { noIdentity_.push_back(path); }

    wchar_t Separator() const override { return separator_; }
    std::unique_ptr<TDirectoryListing> List(const std::wstring& folder, TScanPass pass) override;
    TPathInfo Inspect(const std::wstring& path) override;

    // Every folder path that was listed, in order.
    std::vector<std::wstring> Listed;

  private:
    struct TNode {
        bool Folder = false;
        std::optional<std::wstring> LinkTarget;
        std::vector<TEntry> Entries;
    };
    void Add(const std::wstring& path, TNode node, bool hidden);
    // The folder node a path leads to, links followed.
    const TNode* Resolve(const std::wstring& path, std::wstring* resolved = nullptr) const;

    wchar_t separator_;
    bool reportFileTypes_ = true;
    std::map<std::wstring, TNode> nodes_;
    std::vector<std::wstring> unlistable_;
    std::vector<std::wstring> noIdentity_;
};
