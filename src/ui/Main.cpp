// Program entry: COM for the UI thread, the main window, the message loop.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FormMain.h"

namespace {

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const UniqueLocalMemory argvMemory(argv);
    if (!argv) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

int RunMessageLoop(HWND window) {
    MSG msg;
    BOOL result;
    while ((result = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (result == -1) return 1;
        if (!::IsWindow(window) || !::IsDialogMessageW(window, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    // The window itself owns the taskbar button (it is a top-level window
    // without owner), so the taskbar progress shows on it.
    auto form = std::make_unique<TFormMain>();
    FormMain = form.get();
    const std::vector<std::wstring> arguments = CommandLineArguments();
    // A start with paths may belong to a burst (Explorer's verb on a
    // selection): it hands its paths to the burst's window and ends, or
    // collects the burst in its own window.
    TBurstStart burst;
    if (!arguments.empty()) {
        try {
            burst = JoinBurst(arguments, BurstNamesOfThisProgram());
        } catch (const std::exception& error) {
            form->ShowException(error);  // the start goes on in a window of its own
        }
        if (burst.Role == TBurstRole::HandedOver) return 0;
    }
    try {
        form->Create(arguments, showCommand);
    } catch (const std::exception& error) {
        form->ShowException(error);
        return 1;
    }
    if (burst.Role == TBurstRole::Collector) form->CollectBurst(std::move(burst.Collector));
    RunMessageLoop(form->Handle());
    form.reset();
    FormMain = nullptr;
    MainUnit::TaskbarList.Reset();
    return 0;
}
