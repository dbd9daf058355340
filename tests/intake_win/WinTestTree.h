#pragma once
// A temporary folder tree for the Windows tests, removed with everything in
// it (links removed, never followed) when the test ends; and the means to
// make folder links and drive letters, by the system's own calls on Windows
// and through the Unix side when the tests run under Wine.

#include <windows.h>

#include <string>
#include <vector>

bool RunningUnderWine();

// A drop handle as the shell makes one: a DROPFILES header followed by the
// wide paths, each ending in a NUL, and one more NUL. DragFinish frees it.
HDROP MakeDropHandle(const std::vector<std::wstring>& paths);

class TWinTree {
  public:
    TWinTree();
    ~TWinTree();
    TWinTree(const TWinTree&) = delete;
    TWinTree& operator=(const TWinTree&) = delete;

    // The root, or `relative` below it joined with a backslash.
    std::wstring At(const std::wstring& relative = L"") const;

    void Folder(const std::wstring& relative) const;
    void File(const std::wstring& relative) const;
    // Sets attributes and reads them back; false when they did not stick.
    bool SetAttributes(const std::wstring& relative, DWORD attributes) const;
    // A link at `relative` to the folder `target` (relative to the link's
    // folder or absolute); false when the platform made none.
    bool FolderLink(const std::wstring& relative, const std::wstring& target) const;

  private:
    std::wstring root_;
};

// A drive letter that names a folder for as long as this object lives.
class TDriveMapping {
  public:
    explicit TDriveMapping(const std::wstring& folder);
    ~TDriveMapping();
    TDriveMapping(const TDriveMapping&) = delete;
    TDriveMapping& operator=(const TDriveMapping&) = delete;

    // "X:\" when the mapping exists, empty otherwise.
    std::wstring Root() const {
        return letter_ ? std::wstring{letter_, L':', L'\\'} : std::wstring();
    }

  private:
    void Unmap();

    wchar_t letter_ = 0;
    std::string unixLink_;  // under Wine: the drive's link in the prefix
};
