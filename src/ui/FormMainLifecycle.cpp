// Start-up and shutdown of the main window, and its minimum size.

#include "FormMain.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "IntakeScans.h"
#include "JobQueueState.h"
#include "SettingsWindow.h"

namespace {

// {56FDF344-FD6D-11D0-958A-006097C9A090}
constexpr CLSID kClsidTaskbarList = {
    0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
// {C43DC798-95D1-4BEA-9030-BB99E2983A1A}
constexpr IID kIidTaskbarList4 = {
    0xC43DC798, 0x95D1, 0x4BEA, {0x90, 0x30, 0xBB, 0x99, 0xE2, 0x98, 0x3A, 0x1A}};

DWORD PlatformMajorVersion() {
    // GetVersionEx is capped by the manifest; RtlGetVersion tells the truth.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
        auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
        if (rtlGetVersion && rtlGetVersion(&info) == 0) return info.dwMajorVersion;
    }
    return 6;
}

// The taskbar list where the platform offers it with ITaskbarList4; left
// empty otherwise, without a message: there is then no taskbar progress.
ComPtr<ITaskbarList4> CreateTaskbarList() {
    ComPtr<ITaskbarList4> list;
    if (PlatformMajorVersion() <= 5) return list;
    ComPtr<IUnknown> object;
    if (FAILED(::CoCreateInstance(kClsidTaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  object.PutVoid()))) {
        return list;
    }
    if (FAILED(object->QueryInterface(kIidTaskbarList4, list.PutVoid()))) list.Reset();
    return list;
}

// Windows keeps most messages of a program of lower integrity (Explorer) from
// an elevated window, drops among them: these three carry a drop. Looked up
// by name because the function came with Windows 7; where it is missing an
// elevated window takes no drops, as before. A window not elevated needs no
// exception, and a failure leaves it where it was, so results are not checked.
void LetDropsReachAnElevatedWindow(HWND window) {
    using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto changeFilter = reinterpret_cast<ChangeFilterFn>(reinterpret_cast<void*>(
        user32 ? ::GetProcAddress(user32, "ChangeWindowMessageFilterEx") : nullptr));
    if (!changeFilter) return;
    constexpr UINT kCopyGlobalData = 0x0049;  // hands the dropped names over
    for (const UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, kCopyGlobalData}) {
        changeFilter(window, message, MSGFLT_ALLOW, nullptr);
    }
}

}  // namespace

void TFormMain::FormCreate() {
    // Only a bad handle fails; the caption is then the class's default.
    ::SetWindowTextW(handle_, (std::wstring(kAppTitle) + L" " + kAppVersion).c_str());
    // FileList and its lock FileListLock are created together here; nothing
    // can start an intake before the message loop runs.
    CreateFileQueue();
    KeepViewCopiesPlain();
    ::DragAcceptFiles(handle_, TRUE);
    LetDropsReachAnElevatedWindow(handle_);
    MainUnit::TaskbarList = CreateTaskbarList();
    LoadSettingsAndSnapshot();
    ExtendSystemMenu();
    QueueCommandLine();
}

void TFormMain::FormClose() {
    StopHash();
    FreeFileQueue();
    SaveSettingsIfChanged();
}

void TFormMain::EndSession() {
    // The process may end at any moment once this returns, without a close:
    // the job is stopped and the settings are saved now, as a close does.
    // A close meanwhile would free the queue this waits on; it comes after.
    if (endingSession_) return;
    endingSession_ = true;
    const ScopeGuard ended([this] {
        endingSession_ = false;
        if (std::exchange(closeAfterSessionEnd_, false)) {
            // Fails only for a window already destroyed.
            ::PostMessageW(handle_, WM_CLOSE, 0, 0);
        }
    });
    if (IntakeScans().DeferClose()) {
        // An intake is scanning with the queue's lock held, which the job may
        // be waiting for: the job is only asked to stop. The close follows
        // the scan, should the session go on long enough.
        if (const TaskHandle task = JobQueue ? RunningHashTask(*JobQueue) : nullptr) task->Cancel();
    } else {
        StopHash();
    }
    SaveSettingsIfChanged();
}

void TFormMain::FormCanResize(int& NewWidth, int& NewHeight, bool& Resize) {
    if (NewWidth < kMinimumOuterWidth) NewWidth = kMinimumOuterWidth;
    if (NewHeight < kMinimumOuterHeight) NewHeight = kMinimumOuterHeight;
    Resize = true;
}
