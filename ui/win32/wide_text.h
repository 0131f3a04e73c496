#pragma once

#include <string>
#include <string_view>

namespace tilewright {

// UTF-8 (the core's text) to UTF-16 (the Windows API's). Malformed bytes become U+FFFD.
[[nodiscard]] std::wstring toWide(std::string_view utf8);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string toUtf8(std::wstring_view wide);

}  // namespace tilewright
