#pragma once
// Puts a test's own function in the place of a DLL function that this
// program imports, by rewriting the program's import address table, and
// puts the original back when destroyed. Every call the program's code makes
// to that function then reaches the replacement, which may record its
// arguments and call the original. Only for the program's own module (the
// test executable with its statically linked code), on the test's thread.

#include <windows.h>

class ImportHook {
  public:
    // Throws std::runtime_error when the program does not import `function`
    // from `dll` (e.g. "kernel32.dll", "CreateFileW").
    ImportHook(const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // The function that was imported, to be called by the replacement.
    template <typename Function>
    Function Original() const {
        return reinterpret_cast<Function>(original_);
    }

  private:
    void Write(void* value);

    void** slot_ = nullptr;
    void* original_ = nullptr;
};
