#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tilewright {

// The characters (Unicode code points) of a UTF-8 string. Each byte that does not belong to a
// well-formed sequence counts as one character of its own and comes out as U+FFFD, so a name
// that came from somewhere else than the keyboard still has a definite length.
[[nodiscard]] std::vector<char32_t> decodeUtf8(std::string_view text);

[[nodiscard]] std::size_t characterCount(std::string_view text);

}  // namespace tilewright
