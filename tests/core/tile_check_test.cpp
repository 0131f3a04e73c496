#include "tests/core/tile_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "rom/name_tiles.h"

namespace tilewright {
namespace {

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
