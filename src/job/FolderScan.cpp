#include "FolderScan.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "StageTimes.h"

namespace {

bool IsDotEntry(const std::wstring& name) {
    return name == L"." || name == L"..";
}

// The folders being expanded form a stack of their own on the heap rather
// than on the UI thread's stack, so a tree thousands of levels deep (possible
// with paths of up to 32,767 characters) cannot exhaust it. The order of the
// results is that of a recursive expansion.
class TFolderExpansion {
  public:
    TFolderExpansion(TFileSystem& fileSystem, TScanControl& control, const TAppendPath& append)
        : fileSystem_(fileSystem), control_(control), append_(append) {}

    void Run(const std::wstring& folder) {
        path_ = folder;
        Open(fileSystem_.Inspect(folder).Identity);
        while (!open_.empty()) {
            path_.resize(open_.back().PathLength);
            if (EnterNextSubfolder()) continue;
            // Every subfolder is done (or the scan was cut short): then the
            // folder's own files.
            if (!control_.Aborted()) AppendFiles(path_);
            open_.pop_back();
        }
    }

  private:
    // A folder on the current path: its path is path_'s first PathLength
    // characters; its subfolder listing stays open while a subfolder is
    // expanded.
    struct TOpenFolder {
        std::size_t PathLength = 0;
        std::optional<TFolderIdentity> Identity;
        std::unique_ptr<TDirectoryListing> Subfolders;
    };

    // Starts the expansion of the folder that path_ names.
    void Open(const std::optional<TFolderIdentity>& identity) {
        TOpenFolder folder{path_.size(), identity, nullptr};
        open_.push_back(std::move(folder));
        open_.back().Subfolders = TimeStage(
            Stage::FolderScan, [&] { return fileSystem_.List(path_, TScanPass::Subfolders); });
    }

    bool IsOpen(const TFolderIdentity& identity) const {
        return std::any_of(open_.begin(), open_.end(),
                           [&](const TOpenFolder& folder) { return folder.Identity == identity; });
    }

    // Moves on in the subfolder listing of the innermost open folder; opens
    // the next subfolder to expand and returns true, or returns false at the
    // listing's end or once the scan is cut short.
    bool EnterNextSubfolder() {
        TDirectoryListing* listing = open_.back().Subfolders.get();
        if (!listing) return false;
        const std::size_t folderLength = path_.size();
        TListedEntry entry;
        while (listing->Next(entry)) {
            if (!control_.KeepScanning()) return false;
            if (IsDotEntry(entry.Name) || entry.KnownFile) continue;
            path_ += fileSystem_.Separator();
            path_ += entry.Name;
            const TPathInfo info = fileSystem_.Inspect(path_);
            // A folder that is already open is a loop back up the path.
            if (info.Kind == TPathKind::Directory && !(info.Identity && IsOpen(*info.Identity))) {
                Open(info.Identity);
                return true;
            }
            path_.resize(folderLength);
        }
        return false;
    }

    std::wstring EntryPath(const std::wstring& folder, const std::wstring& name) const {
        std::wstring path;
        path.reserve(folder.size() + 1 + name.size());
        path += folder;
        path += fileSystem_.Separator();
        path += name;
        return path;
    }

    void AppendFiles(const std::wstring& folder) {
        const auto listing = TimeStage(Stage::FolderScan,
                                       [&] { return fileSystem_.List(folder, TScanPass::Files); });
        if (!listing) return;
        TListedEntry entry;
        while (listing->Next(entry)) {
            if (!control_.KeepScanning()) return;
            if (IsDotEntry(entry.Name)) continue;
            std::wstring path = EntryPath(folder, entry.Name);
            if (!entry.KnownFile && fileSystem_.Inspect(path).Kind == TPathKind::Directory)
                continue;
            append_(path);
        }
    }

    TFileSystem& fileSystem_;
    TScanControl& control_;
    const TAppendPath& append_;
    std::wstring path_;              // the innermost open folder's path, or a candidate below it
    std::vector<TOpenFolder> open_;  // the folders on the current path, outermost first
};

}  // namespace

void ExpandFolder(const std::wstring& folder, TFileSystem& fileSystem, TScanControl& control,
                  const TAppendPath& append) {
    TFolderExpansion(fileSystem, control, append).Run(folder);
}
