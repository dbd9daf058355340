#pragma once
// Plays the user's part while the window's UI thread sits in a modal loop
// (a message box, the save dialog, the popup menu): from a second thread it
// finds the window the command opened, reads it and answers it.

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

// A top-level dialog (#32770) owned by `owner` that is visible; waits up to
// `timeoutMs`. nullptr when none came.
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs = 10000);

// Waits until `dialog` is gone; false on time-out.
bool WaitUntilClosed(HWND dialog, DWORD timeoutMs = 10000);

// What a message box showed.
struct SeenMessageBox {
    std::wstring Caption;
    std::wstring Text;
    HICON Icon = nullptr;
    std::vector<int> Buttons;  // ids of the visible buttons
};
SeenMessageBox ReadMessageBox(HWND box);

// Presses a dialog button the way a click reaches the dialog.
void PressButton(HWND dialog, int id);

std::wstring WindowText(HWND hwnd);
std::wstring ClassOf(HWND hwnd);

// What the save dialog shows, and the user's inputs to it.
struct SeenSaveDialog {
    std::wstring FileName;            // the file-name box
    std::vector<std::wstring> Types;  // the file-type list
    int TypeIndex = -1;               // 0-based selection in that list
    bool ReadOnlyBoxVisible = false;
    bool Resizable = false;
};
SeenSaveDialog ReadSaveDialog(HWND dialog);
// True for the classic open and save dialogs, false for the item dialogs:
// only the classic ones have the "look in" folder box.
bool IsClassicFileDialog(HWND dialog);
void TypeFileName(HWND dialog, const std::wstring& name);
void ChooseFileType(HWND dialog, int index);

// Runs `play` on its own thread; Join() waits for it. The destructor joins
// too, so a failed assertion in the test cannot leave the thread running.
class BackgroundUser {
  public:
    explicit BackgroundUser(std::function<void()> play) : thread_(std::move(play)) {}
    ~BackgroundUser() { Join(); }
    BackgroundUser(const BackgroundUser&) = delete;
    BackgroundUser& operator=(const BackgroundUser&) = delete;
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::thread thread_;
};

// Opens and dismisses the message box a command shows: starts a user who
// reads the box owned by `owner` and presses OK, runs `command`, and returns
// what the box showed (empty caption when no box came).
SeenMessageBox AnswerMessageBox(HWND owner, const std::function<void()>& command,
                                DWORD timeoutMs = 10000);
