#pragma once
// Owners of Win32 handles and COM interfaces, one line each, so that every
// one of them is released on every path out of the code that obtained it.
// A failed release is not reported: it happens in a destructor, the handle is
// unusable either way, and no caller could act on it.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <wincrypt.h>

#include "UniqueAny.h"

// Releases that take more than the handle.
inline void ReleaseCryptProvider(HCRYPTPROV provider) noexcept {
    ::CryptReleaseContext(provider, 0);
}
inline void ReleaseScreenDc(HDC dc) noexcept {
    ::ReleaseDC(nullptr, dc);
}
template <typename Interface>
void ReleaseInterface(Interface* object) noexcept {
    object->Release();
}

using UniqueFile = UniqueAny<HANDLE, &::CloseHandle, -1>;  // CreateFileW: INVALID_HANDLE_VALUE
using UniqueKernelHandle = UniqueAny<HANDLE, &::CloseHandle>;
using UniqueFindHandle = UniqueAny<HANDLE, &::FindClose, -1>;
using UniqueRegKey = UniqueAny<HKEY, &::RegCloseKey>;
using UniqueCryptProvider = UniqueAny<HCRYPTPROV, &ReleaseCryptProvider>;
using UniqueCryptHash = UniqueAny<HCRYPTHASH, &::CryptDestroyHash>;
using UniqueLocalMemory = UniqueAny<HLOCAL, &::LocalFree>;
using UniqueGlobalMemory = UniqueAny<HGLOBAL, &::GlobalFree>;
template <typename T>
using UniqueCoTaskMem = UniqueAny<T*, &::CoTaskMemFree>;
using UniqueDrop = UniqueAny<HDROP, &::DragFinish>;
using UniqueScreenDc = UniqueAny<HDC, &ReleaseScreenDc>;  // GetDC(nullptr)
using UniqueMemoryDc = UniqueAny<HDC, &::DeleteDC>;       // CreateCompatibleDC
using UniqueGdiObject = UniqueAny<HGDIOBJ, &::DeleteObject>;
using UniqueMenu = UniqueAny<HMENU, &::DestroyMenu>;
using UniqueModule = UniqueAny<HMODULE, &::FreeLibrary>;
using UniqueThreadpoolWork = UniqueAny<PTP_WORK, &::CloseThreadpoolWork>;
template <typename Interface>
using ComPtr = UniqueAny<Interface*, &ReleaseInterface<Interface>>;

// COM for the calling thread as a single-threaded apartment, for its lifetime.
class ComApartment {
  public:
    ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Result() const { return hr_; }

  private:
    HRESULT hr_;
};
