#pragma once
// What a folder scan needs from the platform's file system: listing a
// folder's entries for one of the scan's two passes, and telling what a path
// names once links are followed.

#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Identity of a folder on its volume: the same folder reached through a
// link, a junction or another path has the same identity.
struct TFolderIdentity {
    std::uint64_t Volume = 0;
    std::uint64_t File = 0;
    friend bool operator==(const TFolderIdentity&, const TFolderIdentity&) = default;
};

enum class TPathKind { Missing, File, Directory };

// What a path names, links followed. Identity is known for folders whenever
// the platform can tell it.
struct TPathInfo {
    TPathKind Kind = TPathKind::Missing;
    std::optional<TFolderIdentity> Identity;
};

// The subfolder pass sees neither hidden nor system entries; the file pass
// sees every entry.
enum class TScanPass { Subfolders, Files };

// One entry of a listing.
struct TListedEntry {
    std::wstring Name;  // bare name
    // The listing itself shows a file that is no link, so the entry names no
    // folder and needs no further test; false when that is not known.
    bool KnownFile = false;
};

// One open listing of a folder; closed when destroyed.
class TDirectoryListing {
  public:
    virtual ~TDirectoryListing() = default;
    // Moves to the next entry and stores it; false at the end.
    virtual bool Next(TListedEntry& entry) = 0;
};

class TFileSystem {
  public:
    virtual ~TFileSystem() = default;
    // The separator placed between a folder's path and an entry's name.
    virtual wchar_t Separator() const = 0;
    // Lists the entries of `folder` ("." and ".." may be among them); empty
    // when the folder cannot be enumerated (missing, unreadable, a file).
    virtual std::unique_ptr<TDirectoryListing> List(const std::wstring& folder, TScanPass pass) = 0;
    // What `path` names, links followed.
    virtual TPathInfo Inspect(const std::wstring& path) = 0;
};

// The file system of the platform the program runs on.
TFileSystem& PlatformFileSystem();
