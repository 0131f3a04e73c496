#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <system_error>

#include "create/save_file.h"

#ifndef _WIN32
#include <filesystem>
#endif

namespace tilewright {

// A path as the system's file calls take it.
#ifdef _WIN32
// UTF-16; std::filesystem::path would bring libstdc++'s locale library into the static exe.
using NativePath = std::wstring;
#else
using NativePath = std::filesystem::path;
#endif

// The path the save dialog gave (see MainWindow::runSaveDialog) in the system's own form.
[[nodiscard]] NativePath nativePath(const std::string& path);

// Finds the file that saving to target replaces (following symbolic links where the platform
// has them), or refuses a target that is not an ordinary file before anything is opened.
[[nodiscard]] std::error_code resolveTarget(const NativePath& target, NativePath& resolved);

// The operating system's part of saving: writes the bytes to a new file in the target's
// folder, flushes it to disk and moves it over the target in one step. On failure the
// temporary file is removed and the target is untouched. With ExistingFile::Keep the move
// fails with SaveRefusal::AlreadyExists when the target exists. One implementation per platform.
[[nodiscard]] std::error_code replaceFile(const NativePath& target,
                                          std::span<const std::uint8_t> bytes,
                                          ExistingFile existing);

}  // namespace tilewright
