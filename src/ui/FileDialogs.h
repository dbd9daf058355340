#pragma once
// The open and save dialogs: the system's common item dialogs, and the
// classic dialogs only where the system has no item dialog. Both leave the
// process's current folder as they found it, so that relative paths given
// on the command line keep naming the same files.

#include <windows.h>

#include <string>
#include <vector>

// Settings of a file dialog, kept between uses during a run.
struct TFileDialog {
    std::wstring Filter;              // "description|pattern|..." pairs
    std::wstring DefaultExt;          // without the dot
    std::wstring FileName;            // initial name; the chosen name after a successful run
    int FilterIndex = 1;              // 1-based, as the dialog reports it
    std::vector<std::wstring> Files;  // every chosen name, full paths
};

// What the open dialog lets the user choose.
enum class TOpenChoice {
    ManyNames,        // several files at once, none of them required to exist
    OneExistingFile,  // a single file that exists
};

// Creates the system's dialog object (CoCreateInstance); a test hands in one
// that fails, standing for a system without the item dialogs.
using TDialogFactory = HRESULT (*)(REFCLSID classId, REFIID interfaceId, void** object);
HRESULT CreateSystemDialog(REFCLSID classId, REFIID interfaceId, void** object);

// The open dialog, for file-system files only. False when the user
// cancels; on success `Files` holds the chosen names in the dialog's order,
// `FileName` the first of them, `FilterIndex` the chosen type.
bool ExecuteOpenDialog(HWND owner, TFileDialog& dialog, TOpenChoice choice,
                       TDialogFactory factory = CreateSystemDialog);

// The save dialog, asking before it replaces a file. False when the user
// cancels; on success `FileName` holds the chosen full path and
// `FilterIndex` the chosen type, the starting values of the next use.
bool ExecuteSaveDialog(HWND owner, TFileDialog& dialog,
                       TDialogFactory factory = CreateSystemDialog);
