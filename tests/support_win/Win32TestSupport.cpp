#include "Win32TestSupport.h"

#include <stdexcept>

namespace {

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(path_);
    if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("scratch folder");
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

std::wstring ScratchFolder::MakeFolder(const std::wstring& relative) const {
    std::wstring path = path_;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = relative.find(L'\\', start);
        path += L"\\" + relative.substr(start, end - start);
        CreateDirectoryW(path.c_str(), nullptr);
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return path;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create test file");
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadFileBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open test file");
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}


// --- TestWindow --------------------------------------------------------------

TestWindow::TestWindow() {
    static const wchar_t* const kClass = L"VarudodiSettingsTestWindow";
    static const bool registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    hwnd_ = CreateWindowExW(0, kClass, L"Varudodi test", WS_OVERLAPPEDWINDOW, 100, 100, 527, 424,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) throw std::runtime_error("cannot create the test window");
}

TestWindow::~TestWindow() {
    DestroyWindow(hwnd_);
}

// --- BoxWatcher --------------------------------------------------------------

namespace {

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct FindBoxes {
    HWND owner;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<FindBoxes*>(param);
    if (GetWindow(window, GW_OWNER) == find->owner && IsWindowVisible(window) &&
        ClassOf(window) == L"#32770") {
        find->boxes.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<SeenBox*>(param);
    const std::wstring cls = ClassOf(child);
    if (_wcsicmp(cls.c_str(), L"Button") == 0 && IsWindowVisible(child)) {
        seen->buttons.push_back(WindowText(child));
        seen->buttonIds.push_back(GetDlgCtrlID(child));
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0 &&
               (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
               SendMessageW(child, STM_GETICON, 0, 0) != 0) {
        seen->hasIcon = true;
    }
    return TRUE;
}

}  // namespace

BoxWatcher::BoxWatcher(HWND owner) : owner_(owner), thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
    if (thread_.joinable()) Stop();
}

void BoxWatcher::Run() {
    std::vector<HWND> handled;
    while (!stop_) {
        FindBoxes find{owner_, {}};
        EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&find));
        for (HWND box : find.boxes) {
            bool known = false;
            for (HWND h : handled) known = known || h == box;
            if (known) continue;
            handled.push_back(box);
            SeenBox seen;
            seen.caption = WindowText(box);
            wchar_t text[4096] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 4096);
            seen.text = text;
            EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&seen));
            seen_.push_back(seen);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        Sleep(20);
    }
}

std::vector<SeenBox> BoxWatcher::Stop() {
    Sleep(100);  // a box still being opened is seen before the watch ends
    stop_ = true;
    thread_.join();
    return seen_;
}

// --- Registry and menu readers -------------------------------------------------

RawRegValue ReadRawValue(HKEY root, const std::wstring& keyPath, const std::wstring& name) {
    RawRegValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    const wchar_t* valueName = name.empty() ? nullptr : name.c_str();
    if (RegQueryValueExW(key, valueName, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        RegQueryValueExW(key, valueName, nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
        value.exists = true;
    }
    RegCloseKey(key);
    return value;
}

std::vector<BYTE> StringBytesWithNul(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

int SystemMenuCheck(HWND window, UINT id) {
    const UINT state = GetMenuState(GetSystemMenu(window, FALSE), id, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1)) return -1;
    return static_cast<int>(state & MF_CHECKED);
}
