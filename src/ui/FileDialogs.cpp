#include "FileDialogs.h"

// The shell and common dialog declarations need <windows.h> first.
#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <string_view>

#include "AppError.h"
#include "DialogFilter.h"
#include "Intake.h"  // OpenDialogSelection
#include "Win32Check.h"
#include "Win32Raii.h"

namespace {

// The classic open dialog's buffer: its selection cannot grow past it.
constexpr std::size_t kClassicSelectionCapacity = 1 << 20;
// Room for the longest path the file system accepts.
constexpr std::size_t kFileNameCapacity = 32768;

// Puts the process's current folder back when the dialog has moved it: the
// classic dialogs move it to the chosen file's folder, and OFN_NOCHANGEDIR
// does not stop the open dialog from doing so.
class CurrentFolderKeeper {
  public:
    CurrentFolderKeeper() {
        const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
        if (length == 0) return;
        folder_.resize(length);
        const DWORD copied = ::GetCurrentDirectoryW(length, folder_.data());
        folder_.resize(copied < length ? copied : 0);
    }
    ~CurrentFolderKeeper() {
        if (!folder_.empty()) ::SetCurrentDirectoryW(folder_.c_str());
    }
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

  private:
    std::wstring folder_;
};

void Check(HRESULT hr, const wchar_t* what) {
    CheckHResult(hr, std::wstring(what) + L" failed: ");
}

std::wstring FileSystemPath(IShellItem& item) {
    UniqueCoTaskMem<wchar_t> path;  // the shell allocated it
    Check(item.GetDisplayName(SIGDN_FILESYSPATH, path.Put()), L"Reading the chosen file's path");
    return path.Get();
}

// What the item dialogs share: file types, the first type, the default
// extension, and options that keep the current folder and ask for
// file-system items whose existence the program tests itself.
void SetUpItemDialog(IFileDialog& dialog, const TFileDialog& settings,
                     const std::vector<TFilterEntry>& types, FILEOPENDIALOGOPTIONS add,
                     FILEOPENDIALOGOPTIONS remove) {
    FILEOPENDIALOGOPTIONS options = 0;
    Check(dialog.GetOptions(&options), L"The file dialog");
    options = (options | add | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR) & ~remove;
    Check(dialog.SetOptions(options), L"The file dialog");
    if (!types.empty()) {
        std::vector<COMDLG_FILTERSPEC> specs;
        for (const TFilterEntry& type : types) {
            specs.push_back({type.Description.c_str(), type.Pattern.c_str()});
        }
        Check(dialog.SetFileTypes(static_cast<UINT>(specs.size()), specs.data()),
              L"The file dialog");
        const int index = std::clamp(settings.FilterIndex, 1, static_cast<int>(types.size()));
        Check(dialog.SetFileTypeIndex(static_cast<UINT>(index)), L"The file dialog");
    }
    if (!settings.DefaultExt.empty()) {
        Check(dialog.SetDefaultExtension(settings.DefaultExt.c_str()), L"The file dialog");
    }
}

// Shows the dialog; false when the user cancels.
bool Show(IFileDialog& dialog, HWND owner) {
    const HRESULT shown = dialog.Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return false;
    Check(shown, L"The file dialog");
    return true;
}

int ChosenTypeIndex(IFileDialog& dialog, int fallback) {
    UINT index = 0;
    return SUCCEEDED(dialog.GetFileTypeIndex(&index)) && index > 0 ? static_cast<int>(index)
                                                                   : fallback;
}

bool ShowItemOpenDialog(IFileOpenDialog& dialog, HWND owner, TFileDialog& settings,
                        TOpenChoice choice) {
    const std::vector<TFilterEntry> types = DialogFilterEntries(settings.Filter);
    const FILEOPENDIALOGOPTIONS mustExist = FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST;
    if (choice == TOpenChoice::ManyNames) {
        SetUpItemDialog(dialog, settings, types, FOS_ALLOWMULTISELECT, mustExist);
    } else {
        SetUpItemDialog(dialog, settings, types, mustExist, FOS_ALLOWMULTISELECT);
    }
    if (!Show(dialog, owner)) return false;

    ComPtr<IShellItemArray> items;
    Check(dialog.GetResults(items.Put()), L"Reading the chosen files");
    DWORD count = 0;
    Check(items->GetCount(&count), L"Reading the chosen files");
    std::vector<std::wstring> files;
    files.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IShellItem> item;
        Check(items->GetItemAt(i, item.Put()), L"Reading the chosen files");
        files.push_back(FileSystemPath(*item.Get()));
    }
    settings.FilterIndex = ChosenTypeIndex(dialog, settings.FilterIndex);
    settings.Files = std::move(files);
    settings.FileName = settings.Files.empty() ? std::wstring() : settings.Files.front();
    return true;
}

// The folder part of a full path, and its name part.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool ShowItemSaveDialog(IFileSaveDialog& dialog, HWND owner, TFileDialog& settings) {
    const std::vector<TFilterEntry> types = DialogFilterEntries(settings.Filter);
    // A path in a missing folder is the program's to report, as a file that
    // cannot be created.
    SetUpItemDialog(dialog, settings, types, FOS_OVERWRITEPROMPT, FOS_PATHMUSTEXIST);
    // The chosen file of the last save: its folder and name again.
    const std::wstring folder = FolderOf(settings.FileName);
    if (!folder.empty()) {
        ComPtr<IShellItem> folderItem;
        if (SUCCEEDED(::SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem,
                                                    folderItem.PutVoid()))) {
            dialog.SetFolder(folderItem.Get());
        }
    }
    Check(dialog.SetFileName(NameOf(settings.FileName).c_str()), L"The save dialog");
    if (!Show(dialog, owner)) return false;

    ComPtr<IShellItem> item;
    Check(dialog.GetResult(item.Put()), L"Reading the chosen file");
    settings.FileName = FileSystemPath(*item.Get());
    settings.FilterIndex = ChosenTypeIndex(dialog, settings.FilterIndex);
    settings.Files.assign(1, settings.FileName);
    return true;
}

OPENFILENAMEW ClassicDialogSetup(HWND owner, const TFileDialog& settings,
                                 const std::wstring& filter, std::vector<wchar_t>& buffer) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(settings.FilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = settings.DefaultExt.empty() ? nullptr : settings.DefaultExt.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_NOCHANGEDIR;
    return ofn;
}

// False when the user cancelled; throws when the dialog failed.
bool ClassicDialogEnded(BOOL chosen) {
    if (chosen) return true;
    const DWORD error = ::CommDlgExtendedError();
    if (error == 0) return false;
    if (error == FNERR_BUFFERTOOSMALL) throw AppError(L"Too many files are selected");
    throw AppError(L"The file dialog failed (error " + std::to_wstring(error) + L")");
}

bool ShowClassicOpenDialog(HWND owner, TFileDialog& settings, TOpenChoice choice) {
    const bool many = choice == TOpenChoice::ManyNames;
    const std::wstring filter = SystemDialogFilter(settings.Filter);
    std::vector<wchar_t> buffer(many ? kClassicSelectionCapacity : kFileNameCapacity, L'\0');
    OPENFILENAMEW ofn = ClassicDialogSetup(owner, settings, filter, buffer);
    ofn.Flags |= many ? OFN_ALLOWMULTISELECT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!ClassicDialogEnded(::GetOpenFileNameW(&ofn))) return false;
    settings.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    settings.Files = OpenDialogSelection(std::wstring_view(buffer.data(), buffer.size()));
    settings.FileName = settings.Files.empty() ? std::wstring() : settings.Files.front();
    return true;
}

bool ShowClassicSaveDialog(HWND owner, TFileDialog& settings) {
    const std::wstring filter = SystemDialogFilter(settings.Filter);
    std::vector<wchar_t> buffer(kFileNameCapacity, L'\0');
    settings.FileName.copy(buffer.data(), std::min(settings.FileName.size(), buffer.size() - 1));
    OPENFILENAMEW ofn = ClassicDialogSetup(owner, settings, filter, buffer);
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!ClassicDialogEnded(::GetSaveFileNameW(&ofn))) return false;
    settings.FileName = buffer.data();
    settings.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    settings.Files.assign(1, settings.FileName);
    return true;
}

// The item dialog of the given class, or nothing where the system lacks it.
template <typename Dialog>
ComPtr<Dialog> CreateItemDialog(TDialogFactory factory, REFCLSID classId, REFIID interfaceId) {
    ComPtr<Dialog> dialog;
    const HRESULT hr = factory(classId, interfaceId, dialog.PutVoid());
    if (FAILED(hr)) {
        dialog.Reset();
        // Only a system without the class gets the classic dialog.
        if (hr != REGDB_E_CLASSNOTREG && hr != E_NOINTERFACE) Check(hr, L"The file dialog");
    }
    return dialog;
}

}  // namespace

HRESULT CreateSystemDialog(REFCLSID classId, REFIID interfaceId, void** object) {
    return ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object);
}

bool ExecuteOpenDialog(HWND owner, TFileDialog& dialog, TOpenChoice choice,
                       TDialogFactory factory) {
    const CurrentFolderKeeper keeper;
    const auto item =
        CreateItemDialog<IFileOpenDialog>(factory, CLSID_FileOpenDialog, IID_IFileOpenDialog);
    return item ? ShowItemOpenDialog(*item.Get(), owner, dialog, choice)
                : ShowClassicOpenDialog(owner, dialog, choice);
}

bool ExecuteSaveDialog(HWND owner, TFileDialog& dialog, TDialogFactory factory) {
    const CurrentFolderKeeper keeper;
    const auto item =
        CreateItemDialog<IFileSaveDialog>(factory, CLSID_FileSaveDialog, IID_IFileSaveDialog);
    return item ? ShowItemSaveDialog(*item.Get(), owner, dialog)
                : ShowClassicSaveDialog(owner, dialog);
}
