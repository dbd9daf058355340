#include "AppProbe.h"

#include <vector>

namespace probe {

namespace {

constexpr const wchar_t* kMainWindowClass = L"TFormMain";
constexpr const wchar_t* kStartCaption = L"开始(&R)";
constexpr const wchar_t* kStopCaption = L"停止(&A)";
constexpr UINT kSendTimeoutMs = 5000;

struct MainWindowSearch {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<MainWindowSearch*>(param);
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (std::wstring(cls) != kMainWindowClass) return TRUE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (search->ProcessId != 0 && pid != search->ProcessId) return TRUE;
    search->Found = hwnd;
    return FALSE;
}

struct ChildSearch {
    std::wstring Wanted;
    bool ByClass;
    HWND Found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    std::wstring value;
    if (search->ByClass) {
        wchar_t cls[64] = {};
        ::GetClassNameW(hwnd, cls, 64);
        value = cls;
        if (_wcsicmp(value.c_str(), search->Wanted.c_str()) == 0) {
            search->Found = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    // The result view's text is the whole report: reading it on every poll
    // would cost the program time that grows with the report.
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (_wcsnicmp(cls, L"RICHEDIT", 8) == 0) return TRUE;
    if (Caption(hwnd) == search->Wanted) {
        search->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Whether a window whose view and start/stop button these are shows no
// running job.
bool IsIdle(HWND view, HWND button) {
    const bool neverStarted = !::IsWindowEnabled(view) && !::IsWindowEnabled(button);
    return neverStarted || Caption(button) == kStartCaption;
}

}  // namespace

std::wstring Caption(HWND window) {
    wchar_t text[256] = {};
    const int length = ::InternalGetWindowText(window, text, 256);
    return std::wstring(text, static_cast<std::size_t>(length));
}

HWND WaitForMainWindow(DWORD timeoutMs, DWORD processId) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    do {
        MainWindowSearch search{processId, nullptr};
        ::EnumWindows(&MatchMainWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found && ::IsWindowVisible(search.Found)) return search.Found;
        ::Sleep(50);
    } while (::GetTickCount64() < deadline);
    return nullptr;
}

HWND FindChildByCaption(HWND window, const std::wstring& caption) {
    ChildSearch search{caption, false, nullptr};
    ::EnumChildWindows(window, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND FindChildByClass(HWND window, const std::wstring& className) {
    ChildSearch search{className, true, nullptr};
    ::EnumChildWindows(window, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND ResultView(HWND window) {
    return FindChildByClass(window, L"RICHEDIT50W");
}

HWND StopButton(HWND window) {
    HWND button = FindChildByCaption(window, kStopCaption);
    return button ? button : FindChildByCaption(window, kStartCaption);
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &length)) {
        return {};
    }
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &copied)) {
        return {};
    }
    return std::wstring(buffer.data(), copied);
}

bool IsIdle(HWND window) {
    HWND view = ResultView(window);
    HWND button = StopButton(window);
    return view && button && IsIdle(view, button);
}

bool WaitForIdle(HWND window, DWORD timeoutMs, DWORD settleMs, DWORD pollMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    ULONGLONG idleSince = 0;
    // Found once: the controls live as long as the window.
    HWND view = nullptr;
    HWND button = nullptr;
    while (::GetTickCount64() < deadline) {
        if (!::IsWindow(window)) return false;
        if (!view || !button) {
            view = ResultView(window);
            button = StopButton(window);
        }
        if (view && button && IsIdle(view, button)) {
            if (idleSince == 0) idleSince = ::GetTickCount64();
            if (::GetTickCount64() - idleSince >= settleMs) return true;
        } else {
            idleSince = 0;
        }
        ::Sleep(pollMs);
    }
    return false;
}

JobWatch WatchJob(HWND window, DWORD timeoutMs) {
    LARGE_INTEGER frequency{}, start{}, now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const auto elapsedMs = [&] {
        ::QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
               static_cast<double>(frequency.QuadPart);
    };
    JobWatch watch;
    while (elapsedMs() < timeoutMs) {
        if (!::IsWindow(window)) break;
        const double sent = elapsedMs();
        DWORD_PTR ignored = 0;
        if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored)) {
            ++watch.Answers;
            const auto took = static_cast<DWORD>(elapsedMs() - sent);
            if (took > watch.LongestAnswerMs) watch.LongestAnswerMs = took;
        }
        if (IsIdle(window)) {
            watch.Ended = true;
            break;
        }
        ::Sleep(5);
    }
    watch.Seconds = elapsedMs() / 1000.0;
    return watch;
}

bool CloseAndWait(HWND window, DWORD timeoutMs) {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
        if (!::IsWindow(window)) return true;
        ::Sleep(25);
    }
    return false;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                          length, nullptr, nullptr);
    return out;
}

}  // namespace probe
