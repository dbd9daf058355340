#include "IntakeDropWin32.h"

std::vector<std::wstring> TDropHandle::Paths() const {
    std::vector<std::wstring> paths;
    const UINT count = ::DragQueryFileW(drop_.Get(), 0xFFFFFFFF, nullptr, 0);
    paths.reserve(count);
    for (UINT index = 0; index < count; ++index) {
        // Asking with no buffer gives the length without the terminator, so
        // a path longer than MAX_PATH arrives whole instead of cut.
        const UINT length = ::DragQueryFileW(drop_.Get(), index, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        const UINT copied = ::DragQueryFileW(drop_.Get(), index, path.data(), length + 1);
        path.resize(copied);
        paths.push_back(std::move(path));
    }
    return paths;
}
