#pragma once

#include <string_view>

#include "cli/cli.h"
#include "cli/options.h"

namespace tilewright {

// "tilewright-cli: TEXT" on standard error.
void printError(Console& console, std::string_view text);

// The commands; each returns the exit status and throws UsageError for a mistake in the
// command line.
[[nodiscard]] int createCommand(const Options& options, Console& console);
[[nodiscard]] int showCommand(const Options& options, Console& console);

}  // namespace tilewright
