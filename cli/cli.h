#pragma once

#include <span>
#include <string>

#include "cli/console.h"

namespace tilewright {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs tilewright-cli with its arguments (UTF-8, without the program name) and returns the exit
// status: 0 on success, 1 on failure (for show: any image that is not exactly what Tilewright
// writes), 2 on a usage error.
[[nodiscard]] int runCli(std::span<const std::string> arguments, Console& console);

}  // namespace tilewright
