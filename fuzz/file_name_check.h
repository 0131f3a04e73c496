#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "create/file_name.h"

namespace tilewright {

// Whether a byte may not stand in a file name under the rules: on Windows the control
// characters and < > : " / \ | ? *, elsewhere "/" and NUL.
[[nodiscard]] bool forbiddenInFileName(unsigned char byte, FileNameRules rules);

// How the sanitised name differs from what it must be: as long as the input, each forbidden
// byte turned into "_", every other byte unchanged. nullopt when it is right.
[[nodiscard]] std::optional<std::string> findFileNameFault(std::string_view input,
                                                           FileNameRules rules,
                                                           std::string_view output);

}  // namespace tilewright
