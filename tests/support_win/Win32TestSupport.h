#pragma once
// Helpers for the Windows tests: a scratch folder, a plain top-level window,
// and a watcher that reads and dismisses the message boxes a command opens.
// The user's settings are kept out of reach by UserSettingsSandbox.h.

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "UserSettingsSandbox.h"

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
