#include "Intake.h"

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

bool QueueCommandLine(const std::vector<std::wstring>& arguments, TFileSystem& fileSystem,
                      TScanControl& control, const TAppendPath& append) {
    for (const std::wstring& argument : arguments) {
        if (control.Aborted()) return false;
        if (fileSystem.Inspect(argument).Kind == TPathKind::Folder) {
            ExpandFolder(argument, fileSystem, control, append);
        } else {
            append(argument);
        }
    }
    return !arguments.empty() && !control.Aborted();
}
