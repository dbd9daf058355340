#pragma once

#include <string>

// Writes a shell link file at linkPath that starts targetPath, with the
// target's folder as working folder, the description "Varudodi" and the
// target's first icon. Throws AppError when the link object or one of its
// interfaces cannot be had; whether the file was written is judged by the
// caller from its existence. Needs COM initialised on the calling thread.
void CreateShortcut(const std::wstring& targetPath, const std::wstring& linkPath);
