#include "text/utf8.h"

#include <cstdint>

namespace tilewright {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the well-formed UTF-8 sequence that starts text[0], or 0 when it is not one
// (a stray continuation byte, an overlong form, a surrogate, a code point past U+10FFFF or a
// truncated sequence).
std::size_t sequenceLength(std::string_view text, char32_t& decoded) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) {
        decoded = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    decoded = value;
    return length;
}

}  // namespace

std::size_t wellFormedLength(std::string_view text) {
    char32_t decoded = 0;
    return text.empty() ? 0 : sequenceLength(text, decoded);
}

std::vector<char32_t> decodeUtf8(std::string_view text) {
    std::vector<char32_t> characters;
    characters.reserve(text.size());
    while (!text.empty()) {
        char32_t decoded = kReplacement;
        const std::size_t length = sequenceLength(text, decoded);
        characters.push_back(length == 0 ? kReplacement : decoded);
        text.remove_prefix(length == 0 ? 1 : length);
    }
    return characters;
}

std::string encodeUtf8(char32_t c) {
    std::string text;
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

}  // namespace tilewright
