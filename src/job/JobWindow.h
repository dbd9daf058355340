#pragma once
// What the hash job needs from the window. The job calls these only through
// a synchronous call to the UI thread, so an implementation runs on the UI
// thread and may touch controls directly.

#include <string>

// The states of the ten option check boxes, copied on the UI thread when the
// job disables the controls; they stay disabled, so the copy stays true.
struct JobOptions {
    bool MD5 = false;       // CB_MD5
    bool SHA1 = false;      // CB_SHA1
    bool SHA256 = false;    // CB_SHA256
    bool CRC32 = false;     // CB_CRC32
    bool Path = false;      // CB_Path: full path in the name line
    bool Size = false;      // CB_Size
    bool Ver = false;       // CB_Ver
    bool Time = false;      // CB_Time
    bool CalcTime = false;  // CB_CalcTime
    bool Upcase = false;    // CB_Upcase
};

class JobWindow {
  public:
    virtual ~JobWindow() = default;

    virtual void DisableControls() = 0;
    // The option states at this moment; the job asks right after
    // DisableControls, within the same call to the UI thread.
    virtual JobOptions ReadJobOptions() = 0;
    // Appends one report block (whole lines, each ending in CR LF).
    virtual void SynchronizeResult(const std::wstring& Result) = 0;
    virtual void UpdateProgress(int position) = 0;
    virtual void EnableControls() = 0;
};
