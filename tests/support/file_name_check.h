#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "create/file_name.h"

namespace tilewright {

// Whether a byte may not stand in a file name under the rules: everywhere the control
// characters and "/", on Windows also < > : " \ | ? *.
[[nodiscard]] bool forbiddenInFileName(unsigned char byte, FileNameRules rules);

// How the sanitised name differs from what it must be: each forbidden byte turned into "_",
// every other byte unchanged; on Windows also the trailing dots and spaces turned into "_",
// and one "_" added at the end of the stem (before the first dot) of a name that is then a
// device name. nullopt when it is right.
[[nodiscard]] std::optional<std::string> findFileNameFault(std::string_view input,
                                                           FileNameRules rules,
                                                           std::string_view output);

}  // namespace tilewright
