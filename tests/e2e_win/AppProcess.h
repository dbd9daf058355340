#pragma once
// Starts Varudodi.exe as a separate process for end-to-end tests.

#include <windows.h>

#include <string>
#include <vector>

#include "Win32Raii.h"

class AppProcess {
  public:
    // Starts the program with the given arguments (each quoted), from
    // `executable` (a copy of it, for instance) or from the build.
    explicit AppProcess(const std::vector<std::wstring>& arguments = {},
                        const std::wstring& executable = ExecutablePath());
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    DWORD Id() const { return processId_; }
    // Waits for the process to end; false after the time-out.
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const;

    // The program under test, in Windows form.
    static std::wstring ExecutablePath();

  private:
    UniqueKernelHandle process_;
    DWORD processId_ = 0;
};
