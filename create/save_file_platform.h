#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <system_error>

#include "create/save_file.h"

namespace tilewright {

// The operating system's part of saveFileSafely, one implementation per platform: checks the
// target, writes the bytes to a new file in its folder, flushes it to disk and moves it over
// the target in one step, recording in details the step reached and the target's links.
[[nodiscard]] std::error_code saveWithSystem(const std::string& target,
                                             std::span<const std::uint8_t> bytes,
                                             ExistingFile existing, SaveDetails& details);

}  // namespace tilewright
