#pragma once
// The parts of the drop and command-line intakes that decide what is queued
// for each given path. Neither takes the queue's lock: the caller holds it,
// or no job exists yet.

#include <string>
#include <string_view>
#include <vector>

#include "FolderScan.h"

// Dropped items in their order: a path naming an existing file (links
// followed) is appended; any other path is expanded as a folder, so a path
// naming nothing yields nothing. Stops when `control` is aborted.
void QueueDroppedPaths(const std::vector<std::wstring>& paths, TFileSystem& fileSystem,
                       TScanControl& control, const TAppendPath& append);

// Command-line arguments in their order: an argument naming an existing
// folder (links followed) is expanded; any other is appended as written,
// without an existence test. Returns whether a job is to start: when there
// was at least one argument and the window is not closing.
bool QueueCommandLineArguments(const std::vector<std::wstring>& arguments, TFileSystem& fileSystem,
                               TScanControl& control, const TAppendPath& append);

// The names an open dialog returns in its file buffer, as full paths in the
// dialog's order. The buffer holds NUL-terminated parts ending with an empty
// one: a single full path, or the folder followed by the names chosen in it
// (a name typed with its own drive or share stays as it is).
std::vector<std::wstring> OpenDialogSelection(std::wstring_view buffer);
