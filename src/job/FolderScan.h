#pragma once
// Expansion of a folder into the files below it, at any depth.

#include <functional>
#include <string>

#include "FolderScanControl.h"
#include "FolderScanFileSystem.h"

// Receives each path found; the caller holds the queue's lock.
using TAppendPath = std::function<void(const std::wstring& path)>;

// Appends every file below `folder`, in two passes per folder: first each
// visible subfolder is expanded completely, at once and in listing order;
// then the folder's own entries that are not folders are appended, hidden
// and system ones included. A path is the folder's path, the separator and
// the entry's name, concatenated as they are (a root such as "T:\" gives two
// separators). A folder that is already being expanded further up the
// current path, reached again through a link or junction, is not entered
// again. Before each entry it examines the scan asks `control` to process
// pending messages and stops everything once `control` is aborted.
// A folder that cannot be listed contributes nothing.
void ExpandFolder(const std::wstring& folder, TFileSystem& fileSystem, TScanControl& control,
                  const TAppendPath& append);
