#pragma once
// The paths of a drop on the window.

#include <windows.h>
// The drop functions, after the base declarations.
#include <shellapi.h>

#include <string>
#include <vector>

#include "Win32Raii.h"

// Owns the drop handle of a WM_DROPFILES message and releases it with
// DragFinish, on every way out of the handler.
class TDropHandle {
  public:
    explicit TDropHandle(HDROP drop) : drop_(drop) {}

    // Every dropped path, whole and in the drop's order, however long.
    std::vector<std::wstring> Paths() const;

  private:
    UniqueDrop drop_;
};
