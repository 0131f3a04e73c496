#include "rom/name_tiles.h"

#include <algorithm>

#include "text/utf8.h"

namespace tilewright {

std::optional<std::uint8_t> tileForChar(char32_t code) {
    const auto entry = std::find_if(
        NameTileTable.begin(), NameTileTable.end(),
        [code](const NameTile& t) { return static_cast<char32_t>(t.character) == code; });
    if (entry == NameTileTable.end()) {
        return std::nullopt;
    }
    return entry->tile;
}

std::optional<char> nameCharacter(char32_t code) {
    const char32_t upper = code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code;
    if (!tileForChar(upper)) {
        return std::nullopt;
    }
    return static_cast<char>(upper);
}

std::int16_t filterKey(std::int16_t code) {
    if (code == kBackspace) {
        return code;
    }
    // A negative code is no character at all.
    const auto character = code >= 0 ? nameCharacter(static_cast<char32_t>(code)) : std::nullopt;
    return character ? static_cast<std::int16_t>(*character) : std::int16_t{0};
}

std::string filterText(std::string_view text) {
    std::string filtered;
    for (const char32_t code : decodeUtf8(text)) {
        if (const auto character = nameCharacter(code)) {
            filtered += *character;
        }
    }
    return filtered;
}

}  // namespace tilewright
