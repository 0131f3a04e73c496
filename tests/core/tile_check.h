#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tilewright {

using TileFunction = std::optional<std::uint8_t> (*)(char32_t);
using KeyFilterFunction = std::int16_t (*)(std::int16_t);

// The tile a character code must map to, worked out as a chain of comparisons rather than
// from the name table, so it can stand as a second opinion on tileForChar.
[[nodiscard]] std::optional<std::uint8_t> referenceTile(char32_t code);

// What the tile function gets wrong for this code, or nullopt.
[[nodiscard]] std::optional<std::string> findTileFault(char32_t code, TileFunction tile);

// What the key filter gets wrong for this typed code, on its own or measured against the tile
// function: everything it hands on must have a tile (or be backspace), and every character
// with a tile must pass it unchanged.
[[nodiscard]] std::optional<std::string> findKeyFilterFault(std::int16_t code,
                                                            KeyFilterFunction filter,
                                                            TileFunction tile);

}  // namespace tilewright
