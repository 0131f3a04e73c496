// The key filter and the tile table measured against each other over every typed code and
// every code point, without a second copy of the table: whatever the filter hands on has a
// tile and is the typed character or its capital, and every character with a tile passes the
// filter unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>

#include "rom/name_tiles.h"

namespace tilewright {
namespace {

TEST(NameTiles, FilterHandsOnOnlyCharactersWithTilesForEveryTypedCode) {
    for (int code = std::numeric_limits<std::int16_t>::min();
         code <= std::numeric_limits<std::int16_t>::max(); ++code) {
        const std::int16_t handedOn = filterKey(static_cast<std::int16_t>(code));
        if (handedOn == 0 || handedOn == kBackspace) {
            continue;
        }
        ASSERT_TRUE(tileForChar(static_cast<char32_t>(handedOn)).has_value())
            << "typed code " << code << " is handed on as " << handedOn;
        const bool lowerCase = code >= 'a' && code <= 'z';
        ASSERT_EQ(handedOn, lowerCase ? code - ('a' - 'A') : code) << "typed code " << code;
    }
}

TEST(NameTiles, EveryCodePointWithATileIsTypedUnchangedAndHasATileOfItsOwn) {
    std::set<std::uint8_t> tiles;
    for (char32_t code = 0; code <= 0x10FFFF; ++code) {
        const auto tile = tileForChar(code);
        if (!tile) {
            continue;
        }
        ASSERT_LE(code, char32_t{0x7F}) << "code point " << static_cast<std::uint32_t>(code);
        const auto typed = static_cast<std::int16_t>(code);
        ASSERT_EQ(filterKey(typed), typed) << "code point " << typed;
        ASSERT_TRUE(tiles.insert(*tile).second) << "tile " << int{*tile} << " given twice";
    }
    // The ten digits, the 26 capitals, the space and . ' ! - " ,
    EXPECT_EQ(tiles.size(), 43u);
    // Values past the last code point whose low bits spell a character with a tile.
    for (const char32_t wide : {char32_t{0x110000}, char32_t{0x110041}, char32_t{0x10000030},
                                char32_t{0x80000041}, char32_t{0xFFFFFF20}, char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(tileForChar(wide), std::nullopt) << static_cast<std::uint32_t>(wide);
    }
}

}  // namespace
}  // namespace tilewright
