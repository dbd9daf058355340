#include "AppProcess.h"

#include <stdexcept>

namespace {

std::wstring Quote(const std::wstring& argument) {
    return L"\"" + argument + L"\"";
}

}  // namespace

std::wstring AppProcess::ExecutablePath() {
    // The build passes the Linux path; Wine shows the Linux root as Z:.
    std::string path = VARUDODI_EXE_PATH;
    std::wstring wide(path.begin(), path.end());
    if (!wide.empty() && wide[0] == L'/') {
        for (wchar_t& c : wide) {
            if (c == L'/') c = L'\\';
        }
        wide = L"Z:" + wide;
    }
    return wide;
}

AppProcess::AppProcess(const std::vector<std::wstring>& arguments, const std::wstring& executable) {
    std::wstring commandLine = Quote(executable);
    for (const std::wstring& argument : arguments) commandLine += L" " + Quote(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        throw std::runtime_error("cannot start Varudodi.exe");
    }
    ::CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
}

AppProcess::~AppProcess() {
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 99);
        ::WaitForSingleObject(process_.Get(), 10000);
    }
}

bool AppProcess::WaitForExit(DWORD timeoutMs) {
    return ::WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD AppProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.Get(), &code);
    return code;
}
