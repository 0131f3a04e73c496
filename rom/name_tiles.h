#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tilewright {

// One character of a name and the tile the target display shows for it.
struct NameTile {
    char character;
    std::uint8_t tile;
};

// Every character a name may hold, with its tile code. Digits and capitals take runs of tiles
// (0x00-0x09 and 0x0A-0x23); the rest are scattered. Tile 0x28 is made by no character.
inline constexpr std::array<NameTile, 43> NameTileTable = [] {
    std::array<NameTile, 43> table{};
    std::size_t next = 0;
    for (char c = '0'; c <= '9'; ++c) {
        table[next++] = {c, static_cast<std::uint8_t>(c - '0')};
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        table[next++] = {c, static_cast<std::uint8_t>(c - 'A' + 0x0A)};
    }
    for (const NameTile others :
         {NameTile{'.', 0x24}, NameTile{'\'', 0x25}, NameTile{'!', 0x26}, NameTile{'-', 0x27},
          NameTile{'"', 0x29}, NameTile{',', 0x2A}, NameTile{' ', 0x3F}}) {
        table[next++] = others;
    }
    return table;
}();

// The tile for one character (a Unicode code point); only the table's characters have one.
[[nodiscard]] std::optional<std::uint8_t> tileForChar(char32_t code);

// The character a name holds for a typed or pasted one: lower-case letters become capitals, and
// a character without a tile (backspace included) gives nullopt.
[[nodiscard]] std::optional<char> nameCharacter(char32_t code);

// The character code of backspace, which the key filter hands on.
inline constexpr std::int16_t kBackspace = 8;

// Filters one typed character: hands on the table's characters and backspace unchanged, turns
// lower-case letters into capitals, and swallows everything else by returning 0.
[[nodiscard]] std::int16_t filterKey(std::int16_t code);

// Filters text that enters the name box other than by a key press (pasted, dropped, from an
// input method) as filterKey filters typed characters: lower-case letters become capitals and
// every other character without a tile is dropped, backspace included. Takes and gives UTF-8.
[[nodiscard]] std::string filterText(std::string_view text);

}  // namespace tilewright
