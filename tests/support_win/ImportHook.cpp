#include "ImportHook.h"

#include <stdexcept>
#include <string>

namespace {

void** FindImportSlot(const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), dll) != 0) continue;
        const DWORD namesAt =
            module->OriginalFirstThunk != 0 ? module->OriginalFirstThunk : module->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesAt);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::string(reinterpret_cast<const char*>(byName->Name)) == function) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

}  // namespace

ImportHook::ImportHook(const char* dll, const char* function, void* replacement)
    : slot_(FindImportSlot(dll, function)) {
    if (!slot_) {
        throw std::runtime_error(std::string("the program does not import ") + function);
    }
    original_ = *slot_;
    Write(replacement);
}

ImportHook::~ImportHook() {
    Write(original_);
}

void ImportHook::Write(void* value) {
    DWORD protection = 0;
    ::VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
    *slot_ = value;
    ::VirtualProtect(slot_, sizeof(void*), protection, &protection);
}
