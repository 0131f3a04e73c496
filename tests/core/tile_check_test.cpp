#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "rom/name_tiles.h"

namespace tilewright {
namespace {

using TileFunction = std::optional<std::uint8_t> (*)(char32_t);
using KeyFilterFunction = std::int16_t (*)(std::int16_t);

// The tile a character code must map to, worked out as a chain of comparisons rather than
// from the name table, so it can stand as a second opinion on tileForChar.
std::optional<std::uint8_t> referenceTile(char32_t code) {
    if (code == 32)
        return 0x3F;
    if (code == 33)
        return 0x26;
    if (code == 39)
        return 0x25;
    if (code == 34)
        return 0x29;
    if (code == 44)
        return 0x2A;
    if (code == 45)
        return 0x27;
    if (code == 46)
        return 0x24;
    if (code >= 48 && code <= 57)
        return static_cast<std::uint8_t>(code - 48);
    if (code >= 65 && code <= 90)
        return static_cast<std::uint8_t>(code - 55);
    return std::nullopt;
}

std::string describe(std::optional<std::uint8_t> tile) {
    return tile ? "tile " + std::to_string(*tile) : "no tile";
}

std::optional<std::int16_t> expectedFilterResult(std::int16_t code) {
    if (code == kBackspace)
        return code;
    if (code >= 'a' && code <= 'z')
        return static_cast<std::int16_t>(code - 32);
    if (code >= 0 && referenceTile(static_cast<char32_t>(code)))
        return code;
    return std::nullopt;
}

// What the tile function gets wrong for this code, or nullopt.
std::optional<std::string> findTileFault(char32_t code, TileFunction tile) {
    const auto actual = tile(code);
    const auto expected = referenceTile(code);
    if (actual != expected) {
        return "code " + std::to_string(static_cast<std::uint32_t>(code)) + " gives " +
               describe(actual) + ", should give " + describe(expected);
    }
    return std::nullopt;
}

// What the key filter gets wrong for this typed code, on its own or measured against the tile
// function: everything it hands on must have a tile (or be backspace), and every character
// with a tile must pass it unchanged.
std::optional<std::string> findKeyFilterFault(std::int16_t code, KeyFilterFunction filter,
                                              TileFunction tile) {
    const std::int16_t result = filter(code);
    const std::string typed = "typed code " + std::to_string(code);
    const auto expected = expectedFilterResult(code);
    if (result != expected.value_or(0)) {
        return typed + " gives " + std::to_string(result) + ", should give " +
               std::to_string(expected.value_or(0));
    }
    if (result != 0 && result != kBackspace && !tile(static_cast<char32_t>(result))) {
        return typed + " is handed on as " + std::to_string(result) + ", which has no tile";
    }
    if (code >= 0 && code != kBackspace && tile(static_cast<char32_t>(code)) && result != code) {
        return typed + " has a tile but the filter gives " + std::to_string(result);
    }
    return std::nullopt;
}

TEST(ReferenceTile, GivesTheKnownTiles) {
    EXPECT_EQ(referenceTile('A'), 0x0A);
    EXPECT_EQ(referenceTile('Z'), 0x23);
    EXPECT_EQ(referenceTile('0'), 0x00);
    EXPECT_EQ(referenceTile('9'), 0x09);
    EXPECT_EQ(referenceTile(' '), 0x3F);
    EXPECT_EQ(referenceTile('"'), 0x29);
    EXPECT_EQ(referenceTile('\''), 0x25);
    EXPECT_EQ(referenceTile(','), 0x2A);
    for (const char32_t none : {U'a', U'?', U'#', U'(', U'@', U'[', U'\0', char32_t{0x141}}) {
        EXPECT_EQ(referenceTile(none), std::nullopt) << static_cast<std::uint32_t>(none);
    }
}

// The one sweep over every typed code and every code point, against the second opinion.
TEST(NameTiles, FilterAndTableAgreeOnEveryTypedCodeAndCodePoint) {
    for (int code = std::numeric_limits<std::int16_t>::min();
         code <= std::numeric_limits<std::int16_t>::max(); ++code) {
        ASSERT_EQ(findKeyFilterFault(static_cast<std::int16_t>(code), filterKey, tileForChar),
                  std::nullopt);
    }
    for (char32_t code = 0; code <= 0x10FFFF; ++code) {
        ASSERT_EQ(findTileFault(code, tileForChar), std::nullopt);
    }
    // Values past the last code point whose low bits spell a character with a tile.
    for (const char32_t wide : {char32_t{0x110000}, char32_t{0x110041}, char32_t{0x10000030},
                                char32_t{0x80000041}, char32_t{0xFFFFFF20}, char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(findTileFault(wide, tileForChar), std::nullopt);
    }
}

// Tile lookups and filters with faults a real one could have.
std::optional<std::uint8_t> truncatingTile(char32_t code) {
    return tileForChar(static_cast<unsigned char>(code));
}
std::optional<std::uint8_t> tableWithoutQuote(char32_t code) {
    return code == '"' ? std::nullopt : tileForChar(code);
}
std::int16_t truncatingFilter(std::int16_t code) {
    return filterKey(static_cast<std::int16_t>(code & 0xFF));
}
std::int16_t noUpperCase(std::int16_t code) {
    return (code >= 'a' && code <= 'z') ? code : filterKey(code);
}
std::int16_t passesControls(std::int16_t code) {
    return (code > 0 && code < 32) ? code : filterKey(code);
}
std::int16_t passesQuestionMark(std::int16_t code) {
    return code == '?' ? code : filterKey(code);
}

TEST(FindTileFault, CatchesFaultyLookups) {
    EXPECT_TRUE(findTileFault(0x141, truncatingTile).has_value());  // 'A' + 0x100
    EXPECT_TRUE(findTileFault('"', tableWithoutQuote).has_value());
    EXPECT_EQ(findTileFault('A', truncatingTile), std::nullopt);
}

TEST(FindKeyFilterFault, CatchesFaultyFilters) {
    EXPECT_TRUE(findKeyFilterFault(static_cast<std::int16_t>(0xFF41), truncatingFilter, tileForChar)
                    .has_value());
    EXPECT_TRUE(findKeyFilterFault('q', noUpperCase, tileForChar).has_value());
    EXPECT_TRUE(findKeyFilterFault(22, passesControls, tileForChar).has_value());  // Ctrl+V
    EXPECT_TRUE(findKeyFilterFault('?', passesQuestionMark, tileForChar).has_value());
    // The filter is right but the table lost a character the filter lets through.
    EXPECT_TRUE(findKeyFilterFault('"', filterKey, tableWithoutQuote).has_value());
    EXPECT_EQ(findKeyFilterFault(8, passesControls, tileForChar), std::nullopt);
}

}  // namespace
}  // namespace tilewright
