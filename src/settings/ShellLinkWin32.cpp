#include "ShellLinkWin32.h"

#include <windows.h>
// after windows.h
#include <objidl.h>
#include <shlobj.h>

#include "AppError.h"
#include "ShellIntegration.h"
#include "Win32Check.h"
#include "Win32Raii.h"

void CreateShortcut(const std::wstring& targetPath, const std::wstring& linkPath) {
    ComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.PutVoid());
    CheckHResult(hr);
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.PutVoid());
    CheckHResult(hr);

    // The results are not checked here: the caller tests for the file.
    link->SetPath(targetPath.c_str());
    link->SetWorkingDirectory(FolderPartOf(targetPath).c_str());
    link->SetDescription(kShortcutDescription);
    link->SetIconLocation(targetPath.c_str(), 0);
    file->Save(linkPath.c_str(), FALSE);
}
