#include "WinTestTree.h"

#include <shlobj.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "FileApiPath.h"

namespace {

using UnixFileNameFn = char*(CDECL*)(LPCWSTR);

UnixFileNameFn UnixFileNameFunction() {
    return reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// The Unix path of a Windows path, under Wine.
std::string UnixPath(const std::wstring& path) {
    const UnixFileNameFn unixFileName = UnixFileNameFunction();
    if (!unixFileName) throw std::runtime_error("not running under Wine");
    char* name = unixFileName(path.c_str());
    if (!name) throw std::runtime_error("no Unix path");
    std::string result(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             wide.data(), static_cast<int>(wide.size()));
    wide.resize(length);
    return wide;
}

// Runs a Unix program from Wine, which starts native executables too but
// cannot wait for them: the caller waits for the program's effect instead.
void RunUnix(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        throw std::runtime_error("cannot start a Unix program");
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

// Whether `path` exists (or, with `exists` false, is gone) within a few seconds.
bool AwaitPath(const std::wstring& path, bool exists) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if ((::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists) return true;
        ::Sleep(50);
    }
    return false;
}

// Removes `path` and, unless it is a link, everything below it.
void RemoveTree(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileW(path.c_str());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name != L"." && name != L"..") names.push_back(name);
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
        for (const std::wstring& name : names) RemoveTree(path + L"\\" + name);
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

HDROP MakeDropHandle(const std::vector<std::wstring>& paths) {
    std::size_t characters = 1;
    for (const std::wstring& path : paths) characters += path.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                   sizeof(DROPFILES) + characters * sizeof(wchar_t));
    if (!memory) throw std::runtime_error("cannot allocate a drop");
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* list = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        std::memcpy(list, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        list += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

bool RunningUnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TWinTree::TWinTree() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate = std::wstring(temp) + L"varudodi-scan-" +
                                       std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(::GetTickCount() + attempt);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            root_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TWinTree::~TWinTree() {
    if (RunningUnderWine()) {
        // Wine removes a Unix link to a folder neither as a folder nor as a
        // file, so the tree goes on the Unix side, where links are removed
        // and never followed.
        RunUnix(L"/bin/rm -rf \"" + Widen(UnixPath(root_)) + L"\"");
        AwaitPath(root_, false);
    } else {
        RemoveTree(L"\\\\?\\" + root_);  // deep test trees pass MAX_PATH
    }
}

std::wstring TWinTree::At(const std::wstring& relative) const {
    return relative.empty() ? root_ : root_ + L"\\" + relative;
}

void TWinTree::Folder(const std::wstring& relative) const {
    std::wstring partial;
    for (std::size_t start = 0; start <= relative.size();) {
        std::size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos) end = relative.size();
        partial = relative.substr(0, end);
        if (!::CreateDirectoryW(ApiPath(At(partial)).c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot create a test folder");
        }
        start = end + 1;
    }
}

void TWinTree::File(const std::wstring& relative) const {
    HANDLE file = ::CreateFileW(ApiPath(At(relative)).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create a test file");
    DWORD written = 0;
    ::WriteFile(file, relative.data(), static_cast<DWORD>(relative.size() * sizeof(wchar_t)),
                &written, nullptr);
    ::CloseHandle(file);
}

bool TWinTree::SetAttributes(const std::wstring& relative, DWORD attributes) const {
    const std::wstring path = At(relative);
    const DWORD before = ::GetFileAttributesW(path.c_str());
    if (before == INVALID_FILE_ATTRIBUTES) return false;
    ::SetFileAttributesW(path.c_str(), attributes);
    const DWORD after = ::GetFileAttributesW(path.c_str());
    return after != INVALID_FILE_ATTRIBUTES && (after & attributes) == attributes;
}

bool TWinTree::FolderLink(const std::wstring& relative, const std::wstring& target) const {
    const std::wstring link = At(relative);
    if (RunningUnderWine()) {
        // Wine reports CreateSymbolicLinkW as done without making a link; a
        // Unix link shows as a folder with the reparse-point attribute.
        const bool absolute = target.size() > 1 && target[1] == L':';
        const std::wstring unixTarget = absolute ? Widen(UnixPath(target)) : target;
        std::wstring unixTargetSlashes = unixTarget;
        for (wchar_t& c : unixTargetSlashes) {
            if (!absolute && c == L'\\') c = L'/';
        }
        const std::wstring folder = link.substr(0, link.rfind(L'\\'));
        const std::wstring name = link.substr(link.rfind(L'\\') + 1);
        RunUnix(L"/bin/ln -s \"" + unixTargetSlashes + L"\" \"" + Widen(UnixPath(folder)) + L"/" +
                name + L"\"");
        AwaitPath(link, true);
    } else {
        ::CreateSymbolicLinkW(
            link.c_str(), target.c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    }
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

TDriveMapping::TDriveMapping(const std::wstring& folder) {
    const DWORD used = ::GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t candidate = L'T'; candidate <= L'Y' && !letter; ++candidate) {
        if ((used & (1u << (candidate - L'A'))) == 0) letter = candidate;
    }
    if (!letter) return;
    const std::wstring device{letter, L':'};
    if (RunningUnderWine()) {
        // Wine takes its drive letters from the links in the prefix's
        // dosdevices folder, beside the link of drive C.
        std::string dosdevices = UnixPath(L"C:\\");
        dosdevices.resize(dosdevices.rfind("/c:"));
        unixLink_ = dosdevices + "/" + static_cast<char>(letter - L'A' + 'a') + ":";
        RunUnix(L"/bin/ln -s \"" + Widen(UnixPath(folder)) + L"\" \"" + Widen(unixLink_) + L"\"");
        letter_ = letter;
        if (!AwaitPath(Root(), true)) Unmap();
        return;
    } else if (!::DefineDosDeviceW(0, device.c_str(), folder.c_str())) {
        return;
    }
    letter_ = letter;
    if (::GetFileAttributesW(Root().c_str()) == INVALID_FILE_ATTRIBUTES) Unmap();
}

TDriveMapping::~TDriveMapping() {
    Unmap();
}

void TDriveMapping::Unmap() {
    if (!letter_) return;
    if (!unixLink_.empty()) {
        RunUnix(L"/bin/rm -f \"" + Widen(unixLink_) + L"\"");
        AwaitPath(Root(), false);
    } else {
        const std::wstring device{letter_, L':'};
        ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
    }
    letter_ = 0;
    unixLink_.clear();
}
