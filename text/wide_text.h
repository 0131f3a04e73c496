#pragma once

#include <string>
#include <string_view>

namespace tilewright {

// The one conversion between the program's UTF-8 text and the UTF-16 of the Windows API.
// Windows only: elsewhere nothing speaks UTF-16.

// UTF-8 to UTF-16. Malformed bytes become U+FFFD.
[[nodiscard]] std::wstring toWide(std::string_view utf8);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string toUtf8(std::wstring_view wide);

}  // namespace tilewright
