#include "Intake.h"

#include <algorithm>

void QueueDroppedPaths(const std::vector<std::wstring>& paths, TFileSystem& fileSystem,
                       TScanControl& control, const TAppendPath& append) {
    for (const std::wstring& path : paths) {
        if (control.Aborted()) return;
        if (fileSystem.Inspect(path).Kind == TPathKind::File) {
            append(path);
        } else {
            ExpandFolder(path, fileSystem, control, append);
        }
    }
}

bool QueueCommandLineArguments(const std::vector<std::wstring>& arguments, TFileSystem& fileSystem,
                               TScanControl& control, const TAppendPath& append) {
    for (const std::wstring& argument : arguments) {
        if (control.Aborted()) return false;
        if (fileSystem.Inspect(argument).Kind == TPathKind::Directory) {
            ExpandFolder(argument, fileSystem, control, append);
        } else {
            append(argument);
        }
    }
    return !arguments.empty() && !control.Aborted();
}

namespace {

bool IsAbsolutePath(const std::wstring& name) {
    return (name.size() >= 2 && name[1] == L':') || name.rfind(L"\\\\", 0) == 0;
}

}  // namespace

std::vector<std::wstring> OpenDialogSelection(std::wstring_view buffer) {
    std::vector<std::wstring> parts;
    for (std::size_t start = 0; start < buffer.size();) {
        const std::size_t end = std::min(buffer.find(L'\0', start), buffer.size());
        if (end == start) break;  // the empty part that ends the list
        parts.emplace_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() <= 1) return parts;
    const std::wstring& folder = parts.front();
    const bool endsInSeparator = folder.back() == L'\\';
    std::vector<std::wstring> paths;
    paths.reserve(parts.size() - 1);
    for (auto name = parts.begin() + 1; name != parts.end(); ++name) {
        paths.push_back(IsAbsolutePath(*name) ? *name
                                              : folder + (endsInSeparator ? L"" : L"\\") + *name);
    }
    return paths;
}
