#include "rom/name_tiles.h"

#include <algorithm>

#include "rom/utf8.h"

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

std::int16_t filterKey(std::int16_t code) {
    if (code == kBackspace) {
        return code;
    }
    if (code >= 'a' && code <= 'z') {
        return static_cast<std::int16_t>(code - ('a' - 'A'));
    }
    // Every code the table holds is ASCII, so a negative or larger code never matches.
    if (code >= 0 && tileForChar(static_cast<char32_t>(code))) {
        return code;
    }
    return 0;
}

std::string filterText(std::string_view text) {
    std::string filtered;
    for (const char32_t code : decodeUtf8(text)) {
        // The filter takes 16-bit codes; every character past them is one without a tile.
        const std::int16_t kept =
            code <= 0x7FFF ? filterKey(static_cast<std::int16_t>(code)) : std::int16_t{0};
        if (kept != 0 && tileForChar(static_cast<char32_t>(kept))) {
            filtered += static_cast<char>(kept);
        }
    }
    return filtered;
}

}  // namespace tilewright
