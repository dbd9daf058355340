#pragma once
// Helpers for the Windows tests: a scratch folder, guards that give back the
// user's registry keys and files as they were, a plain top-level window, and
// a watcher that reads and dismisses the message boxes a command opens.

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// A fresh folder under %TEMP%, removed with its content at the end.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    // Creates the folders of a relative path and returns the full path.
    std::wstring MakeFolder(const std::wstring& relative) const;

  private:
    std::wstring path_;
};

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);

// Saves a key under HKEY_CURRENT_USER with its values and subkeys, removes it,
// and puts the saved tree back at the end, so tests start from "no key" and
// leave the user's key as it was.
class RegistryKeyGuard {
  public:
    explicit RegistryKeyGuard(std::wstring path);
    ~RegistryKeyGuard();
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

    struct Tree;

  private:
    std::wstring path_;
    std::unique_ptr<Tree> saved_;
};

// Moves a file aside and puts it back at the end; the test starts without it.
class FileGuard {
  public:
    explicit FileGuard(std::wstring path);
    ~FileGuard();
    FileGuard(const FileGuard&) = delete;
    FileGuard& operator=(const FileGuard&) = delete;

  private:
    std::wstring path_;
    std::wstring aside_;
};

// A hidden top-level window with a caption, frame and system menu.
class TestWindow {
  public:
    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;  // visible buttons
    std::vector<int> buttonIds;
    bool hasIcon = false;
};

// Watches from its own thread for dialog boxes owned by `owner`, records each
// one and presses its OK button. Stop() ends the watch and returns them.
class BoxWatcher {
  public:
    explicit BoxWatcher(HWND owner);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;
    std::vector<SeenBox> Stop();

  private:
    void Run();

    HWND owner_;
    std::atomic<bool> stop_{false};
    std::vector<SeenBox> seen_;
    std::thread thread_;
};

// A registry value as stored: type and raw bytes.
struct RawRegValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
RawRegValue ReadRawValue(HKEY root, const std::wstring& keyPath, const std::wstring& name);
std::vector<BYTE> StringBytesWithNul(const std::wstring& text);

// MF_CHECKED or 0 for a system-menu item; -1 when the item is missing.
int SystemMenuCheck(HWND window, UINT id);
