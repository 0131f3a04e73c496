#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tilewright {

// Hexadecimal as the program writes it everywhere: capital digits.

// Appends the value's last `digits` hex digits.
void appendHex(std::string& text, std::uint64_t value, int digits);

// Each byte as two digits, separated by spaces: "3F FD FE 3F".
[[nodiscard]] std::string hexBytes(std::span<const std::uint8_t> bytes);

// "0x" and four digits, or eight for an address past 16 bits: "0x1015".
[[nodiscard]] std::string hexAddress(std::size_t address);

}  // namespace tilewright
