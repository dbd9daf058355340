#include "RegistryKeyWin32.h"

#include <vector>

#include "AppError.h"
#include "Win32Check.h"

UniqueRegKey OpenRegKey(HKEY parent, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
    return UniqueRegKey(key);
}

UniqueRegKey CreateRegKey(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return {};
    }
    return UniqueRegKey(key);
}

bool RegKeyExists(HKEY parent, const std::wstring& path, REGSAM access) {
    return static_cast<bool>(OpenRegKey(parent, path, access));
}

void WriteRegString(HKEY key, const std::wstring& name, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    CheckStatus(status);
}

void WriteRegDword(HKEY key, const std::wstring& name, std::uint32_t value) {
    const DWORD data = value;
    const LSTATUS status = RegSetValueExW(key, name.c_str(), 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&data), sizeof(data));
    CheckStatus(status);
}

namespace {

// Names of the direct subkeys; key names are at most 255 characters.
std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

}  // namespace

bool DeleteRegKeyTree(HKEY parent, const std::wstring& path) {
    {
        const UniqueRegKey key = OpenRegKey(parent, path, KEY_READ);
        if (!key) return false;
        // Collect first: deleting while enumerating would shift the indices.
        for (const std::wstring& name : SubkeyNames(key.Get())) {
            if (!DeleteRegKeyTree(key.Get(), name)) return false;
        }
    }
    return RegDeleteKeyW(parent, path.c_str()) == ERROR_SUCCESS;
}
