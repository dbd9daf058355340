#include "FakeFileSystem.h"

#include <algorithm>
#include <stdexcept>

namespace {

class TFakeListing : public TDirectoryListing {
  public:
    explicit TFakeListing(std::vector<TListedEntry> entries) : entries_(std::move(entries)) {}
    bool Next(TListedEntry& entry) override {
        if (next_ == entries_.size()) return false;
        entry = entries_[next_++];
        return true;
    }

  private:
    std::vector<TListedEntry> entries_;
    std::size_t next_ = 0;
};

}  // namespace

void TFakeFileSystem::Add(const std::wstring& path, TNode node, bool hidden) {
    const auto cut = path.rfind(separator_);
    if (cut == std::wstring::npos) throw std::logic_error("fake path without separator");
    const std::wstring parent = path.substr(0, cut);
    const std::wstring name = path.substr(cut + 1);
    nodes_[path] = std::move(node);
    // A path without a known parent starts a tree of its own.
    const auto parentNode = nodes_.find(parent);
    if (!name.empty() && parentNode != nodes_.end())
        parentNode->second.Entries.push_back({name, hidden});
}

const TFakeFileSystem::TNode* TFakeFileSystem::Resolve(const std::wstring& path,
                                                       std::wstring* resolved) const {
    // Replaces the first link along the path by its target until none is left.
    std::wstring current = path;
    for (int hops = 0; hops < 16; ++hops) {
        bool replaced = false;
        for (std::size_t end = current.find(separator_); !replaced;
             end = current.find(separator_, end + 1)) {
            const std::wstring prefix = current.substr(0, end);
            const auto found = nodes_.find(prefix);
            if (found != nodes_.end() && found->second.LinkTarget) {
                current = *found->second.LinkTarget + current.substr(prefix.size());
                replaced = true;
            }
            if (end == std::wstring::npos) break;
        }
        if (!replaced) {
            const auto found = nodes_.find(current);
            if (found == nodes_.end()) return nullptr;
            if (resolved) *resolved = current;
            return &found->second;
        }
    }
    return nullptr;
}

std::unique_ptr<TDirectoryListing> TFakeFileSystem::List(const std::wstring& folder,
                                                         TScanPass pass) {
    Listed.push_back(folder);
    std::wstring target;
    const TNode* node = Resolve(folder, &target);
    if (!node || !node->Folder) return nullptr;
    if (std::find(unlistable_.begin(), unlistable_.end(), target) != unlistable_.end())
        return nullptr;
    std::vector<TListedEntry> entries{{L".", false}, {L"..", false}};
    for (const TEntry& entry : node->Entries) {
        if (pass == TScanPass::Subfolders && entry.Hidden) continue;
        const TNode& child = nodes_.at(target + separator_ + entry.Name);
        const bool knownFile = reportFileTypes_ && !child.Folder && !child.LinkTarget;
        entries.push_back({entry.Name, knownFile});
    }
    return std::make_unique<TFakeListing>(std::move(entries));
}

TPathInfo TFakeFileSystem::Inspect(const std::wstring& path) {
    std::wstring target;
    const TNode* node = Resolve(path, &target);
    if (!node) return {};
    if (!node->Folder) return {TPathKind::File, std::nullopt};
    if (std::find(noIdentity_.begin(), noIdentity_.end(), target) != noIdentity_.end()) {
        return {TPathKind::Directory, std::nullopt};
    }
    // The identity of a folder is its resolved path's position in the map.
    const auto index =
        static_cast<std::uint64_t>(std::distance(nodes_.begin(), nodes_.find(target)));
    return {TPathKind::Directory, TFolderIdentity{1, index}};
}
