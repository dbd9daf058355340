// VarudodiProbe: drives a running Varudodi window from the command line.
//   VarudodiProbe wait-window [ms]   exit 0 once the window is shown
//   VarudodiProbe wait-idle [ms]     exit 0 once no job runs
//   VarudodiProbe watch-job [ms]     wait until no job runs, timing the window's
//                                    answers: ended=0|1 seconds=S longest_answer_ms=N answers=N
//   VarudodiProbe wait-job [ms] [poll-ms]
//                                    wait until no job runs, looking every poll-ms
//                                    (default 50) and sending the window nothing:
//                                    ended=0|1 seconds=S. What a timing run uses, since
//                                    watch-job's messages take the job's processor time
//   VarudodiProbe text               print the result view's text (UTF-8)
//   VarudodiProbe rect               print the window's screen rectangle: x y width height
//   VarudodiProbe close [ms]         close the window and wait until it is gone

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "AppProbe.h"

namespace {

void Print(const std::string& text) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
                &written, nullptr);
}

DWORD Milliseconds(int argc, wchar_t** argv, DWORD fallback) {
    return argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : fallback;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        Print(
            "usage: VarudodiProbe wait-window|wait-idle|watch-job|wait-job|text|rect|close [ms]\n");
        return 2;
    }
    const std::wstring command = argv[1];
    HWND window = probe::WaitForMainWindow(
        command == L"wait-window" ? Milliseconds(argc, argv, 60000) : 5000);
    if (!window) {
        Print("Varudodi window not found\n");
        return 1;
    }
    if (command == L"wait-window") return 0;
    if (command == L"wait-idle")
        return probe::WaitForIdle(window, Milliseconds(argc, argv, 600000)) ? 0 : 1;
    if (command == L"watch-job") {
        const probe::JobWatch watch = probe::WatchJob(window, Milliseconds(argc, argv, 600000));
        char line[128];
        std::snprintf(line, sizeof(line),
                      "ended=%d seconds=%.3f longest_answer_ms=%lu answers=%u\n",
                      watch.Ended ? 1 : 0, watch.Seconds,
                      static_cast<unsigned long>(watch.LongestAnswerMs), watch.Answers);
        Print(line);
        return watch.Ended ? 0 : 1;
    }
    if (command == L"wait-job") {
        const DWORD timeoutMs = Milliseconds(argc, argv, 600000);
        const DWORD pollMs = argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 50;
        const ULONGLONG start = ::GetTickCount64();
        const bool ended = probe::WaitForIdle(window, timeoutMs, /*settleMs=*/0, pollMs);
        char line[64];
        std::snprintf(line, sizeof(line), "ended=%d seconds=%.3f\n", ended ? 1 : 0,
                      static_cast<double>(::GetTickCount64() - start) / 1000.0);
        Print(line);
        return ended ? 0 : 1;
    }
    if (command == L"text") {
        Print(probe::ToUtf8(probe::WindowText(probe::ResultView(window))));
        return 0;
    }
    if (command == L"rect") {
        RECT r{};
        ::GetWindowRect(window, &r);
        char line[64];
        std::snprintf(line, sizeof(line), "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left,
                      r.bottom - r.top);
        Print(line);
        return 0;
    }
    if (command == L"close")
        return probe::CloseAndWait(window, Milliseconds(argc, argv, 60000)) ? 0 : 1;
    Print("unknown command\n");
    return 2;
}
