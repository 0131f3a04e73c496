#include "rom/hex.h"

namespace tilewright {

void appendHex(std::string& text, std::uint64_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        text += "0123456789ABCDEF"[(value >> shift) & 0xF];
    }
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        appendHex(text, byte, 2);
    }
    return text;
}

std::string hexAddress(std::size_t address) {
    std::string text = "0x";
    appendHex(text, address, address > 0xFFFF ? 8 : 4);
    return text;
}

}  // namespace tilewright
