#pragma once
// The few registry operations the settings and the context-menu verb need;
// every opened key is owned by a UniqueRegKey.

#include <windows.h>

#include <cstdint>
#include <string>

#include "Win32Raii.h"  // UniqueRegKey

// Opens an existing key; empty when it cannot be opened.
UniqueRegKey OpenRegKey(HKEY parent, const std::wstring& path, REGSAM access);

// Opens a key for writing (non-volatile, full access), creating it when
// missing; empty when it can be neither opened nor created.
UniqueRegKey CreateRegKey(HKEY parent, const std::wstring& path);

// True when the key can be opened with the given rights.
bool RegKeyExists(HKEY parent, const std::wstring& path, REGSAM access);

// Writes a REG_SZ value, terminating NUL included in the data; an empty name
// writes the key's default value. Throws AppError on failure.
void WriteRegString(HKEY key, const std::wstring& name, const std::wstring& value);

// Writes a REG_DWORD value. Throws AppError on failure.
void WriteRegDword(HKEY key, const std::wstring& name, std::uint32_t value);

// Deletes a key together with all its subkeys, the subkeys first. False when
// the key is missing or any part of it cannot be deleted.
bool DeleteRegKeyTree(HKEY parent, const std::wstring& path);
