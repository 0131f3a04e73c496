#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// UTF-8, the text of the whole program; the UTF-16 of the Windows API is in text/wide_text.h.
namespace tilewright {

// The characters (Unicode code points) of a UTF-8 string. Each byte that does not belong to a
// well-formed sequence counts as one character of its own and comes out as U+FFFD, so a name
// that came from somewhere else than the keyboard still has a definite length.
[[nodiscard]] std::vector<char32_t> decodeUtf8(std::string_view text);

// The length of the well-formed UTF-8 sequence at the start of text, or 0 when there is none.
[[nodiscard]] std::size_t wellFormedLength(std::string_view text);

// One code point (up to U+10FFFF) as UTF-8.
[[nodiscard]] std::string encodeUtf8(char32_t c);

}  // namespace tilewright
