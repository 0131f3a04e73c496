#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

namespace tilewright {

// Finds the file that saving to target replaces (following symbolic links where the platform
// has them), or refuses a target that is not an ordinary file before anything is opened.
[[nodiscard]] std::error_code resolveTarget(const std::filesystem::path& target,
                                            std::filesystem::path& resolved);

// The operating system's part of saving: writes the bytes to a new file in the target's
// folder, flushes it to disk and moves it over the target in one step. On failure the
// temporary file is removed and the target is untouched. One implementation per platform.
[[nodiscard]] std::error_code replaceFile(const std::filesystem::path& target,
                                          std::span<const std::uint8_t> bytes);

}  // namespace tilewright
