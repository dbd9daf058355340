// The Windows file system of the folder scan: FindFirstFileExW listings with
// the attribute rule of each pass, and identities from the opened target.

#include <windows.h>

#include <memory>
#include <vector>

#include "FileApiPath.h"
#include "FolderScanFileSystem.h"
#include "Win32Raii.h"

namespace {

class TWin32Listing : public TDirectoryListing {
  public:
    TWin32Listing(UniqueFindHandle find, const WIN32_FIND_DATAW& first, TScanPass pass)
        : find_(std::move(find)), data_(first), pass_(pass) {}

    bool Next(TListedEntry& entry) override {
        for (;;) {
            if (!firstPending_ && !::FindNextFileW(find_.Get(), &data_)) return false;
            firstPending_ = false;
            // The subfolder pass sees an entry only when it carries neither
            // the hidden nor the system attribute.
            if (pass_ == TScanPass::Subfolders &&
                (data_.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
                continue;
            }
            entry.Name = data_.cFileName;
            // Folders and reparse points (links, junctions) get a closer look.
            entry.KnownFile = (data_.dwFileAttributes &
                               (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
            return true;
        }
    }

  private:
    UniqueFindHandle find_;
    WIN32_FIND_DATAW data_;
    TScanPass pass_;
    bool firstPending_ = true;
};

class TWin32FileSystem : public TFileSystem {
  public:
    wchar_t Separator() const override { return L'\\'; }

    std::unique_ptr<TDirectoryListing> List(const std::wstring& folder, TScanPass pass) override {
        WIN32_FIND_DATAW first{};
        UniqueFindHandle find(::FindFirstFileExW(ApiPath(folder + L"\\*.*").c_str(),
                                                 FindExInfoBasic, &first, FindExSearchNameMatch,
                                                 nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find) return nullptr;
        return std::make_unique<TWin32Listing>(std::move(find), first, pass);
    }

    // GetFileAttributesW describes a link or junction itself, not what it
    // points to; opening the path (without FILE_FLAG_OPEN_REPARSE_POINT)
    // follows every link to the final target, whose attributes, volume and
    // file index then tell what the path names.
    TPathInfo Inspect(const std::wstring& path) override {
        const std::wstring apiPath = ApiPath(path);
        const UniqueFile target(
            ::CreateFileW(apiPath.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (target) {
            BY_HANDLE_FILE_INFORMATION info{};
            if (::GetFileInformationByHandle(target.Get(), &info)) {
                if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    return {TPathKind::File, {}};
                return {TPathKind::Directory,
                        TFolderIdentity{
                            info.dwVolumeSerialNumber,
                            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow}};
            }
        }
        // The target cannot be opened: files the system keeps locked, such
        // as the page file, or a link whose target is gone or out of reach.
        // The entry's own attributes still tell a file from a folder, but a
        // folder link that cannot be followed names no folder.
        const DWORD attributes = ::GetFileAttributesW(apiPath.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return {};
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {TPathKind::File, {}};
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return {};
        return {TPathKind::Directory, {}};
    }
};

}  // namespace

TFileSystem& PlatformFileSystem() {
    static TWin32FileSystem fileSystem;
    return fileSystem;
}
