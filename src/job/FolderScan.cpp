#include "FolderScan.h"

#include <algorithm>
#include <vector>

namespace {

bool IsDotEntry(const std::wstring& name) {
    return name == L"." || name == L"..";
}

class TFolderExpansion {
  public:
    TFolderExpansion(TFileSystem& fileSystem, TScanControl& control, const TAppendPath& append)
        : fileSystem_(fileSystem), control_(control), append_(append) {}

    void Run(const std::wstring& folder) {
        const TPathInfo info = fileSystem_.Inspect(folder);
        Enter(folder, info.Identity);
    }

  private:
    // Expands `folder`, whose identity stays on the current path meanwhile.
    void Enter(const std::wstring& folder, const std::optional<TFolderIdentity>& identity) {
        if (identity) openFolders_.push_back(*identity);
        ExpandSubfolders(folder);
        if (!control_.Aborted()) AppendFiles(folder);
        if (identity) openFolders_.pop_back();
    }

    bool IsOpen(const TFolderIdentity& identity) const {
        return std::find(openFolders_.begin(), openFolders_.end(), identity) != openFolders_.end();
    }

    std::wstring EntryPath(const std::wstring& folder, const std::wstring& name) const {
        std::wstring path;
        path.reserve(folder.size() + 1 + name.size());
        path += folder;
        path += fileSystem_.Separator();
        path += name;
        return path;
    }

    void ExpandSubfolders(const std::wstring& folder) {
        const auto listing = fileSystem_.List(folder, TScanPass::Subfolders);
        if (!listing) return;
        TListedEntry entry;
        while (listing->Next(entry)) {
            if (!control_.KeepScanning()) return;
            if (IsDotEntry(entry.Name) || entry.KnownFile) continue;
            const std::wstring path = EntryPath(folder, entry.Name);
            const TPathInfo info = fileSystem_.Inspect(path);
            if (info.Kind != TPathKind::Directory) continue;
            if (info.Identity && IsOpen(*info.Identity)) continue;  // a loop back up the path
            Enter(path, info.Identity);
        }
    }

    void AppendFiles(const std::wstring& folder) {
        const auto listing = fileSystem_.List(folder, TScanPass::Files);
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
    std::vector<TFolderIdentity> openFolders_;  // the folders on the current path
};

}  // namespace

void ExpandFolder(const std::wstring& folder, TFileSystem& fileSystem, TScanControl& control,
                  const TAppendPath& append) {
    TFolderExpansion(fileSystem, control, append).Run(folder);
}
