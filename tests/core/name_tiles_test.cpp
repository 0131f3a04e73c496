#include "rom/name_tiles.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

namespace tilewright {
namespace {

TEST(TileForChar, GivesTheDisplaysTileForEachNameCharacter) {
    const std::pair<char32_t, std::uint8_t> expected[] = {
        {'0', 0x00}, {'9', 0x09}, {'A', 0x0A}, {'Z', 0x23}, {'.', 0x24}, {'\'', 0x25},
        {'!', 0x26}, {'-', 0x27}, {'"', 0x29}, {',', 0x2A}, {' ', 0x3F}, {'M', 0x16},
    };
    for (const auto& [code, tile] : expected) {
        EXPECT_EQ(tileForChar(code), tile) << "character " << static_cast<int>(code);
    }
}

TEST(FilterKey, TurnsLowerCaseIntoCapitals) {
    EXPECT_EQ(filterKey('a'), 'A');
    EXPECT_EQ(filterKey('s'), 'S');
    EXPECT_EQ(filterKey('z'), 'Z');
}

TEST(FilterKey, HandsOnNameCharactersAndBackspace) {
    for (const char c : std::string_view("AZ09 .'!-\",")) {
        EXPECT_EQ(filterKey(c), c) << c;
    }
    EXPECT_EQ(filterKey(8), 8);
}

TEST(FilterKey, SwallowsControlCodesAndCharactersWithoutTiles) {
    // Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z, Enter, Escape, Delete.
    for (const std::int16_t code : {0, 3, 22, 24, 26, 13, 27, 127}) {
        EXPECT_EQ(filterKey(code), 0) << code;
    }
    for (const char c : std::string_view("?&*#()[]{}/\\@_`~;:")) {
        EXPECT_EQ(filterKey(c), 0) << c;
    }
    for (const std::int16_t code : {123, 200, 255, 256, 0x2000, 32767, -1, -32768}) {
        EXPECT_EQ(filterKey(code), 0) << code;
    }
}

TEST(FilterText, KeepsWhatTypingWouldKeepFromInsertedText) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"bob", "BOB"},
        {"Space Race!", "SPACE RACE!"},
        {"\"A-1.\", 'b'", "\"A-1.\", 'B'"},
        {"a\nb\r\tc\x1b", "ABC"},            // line breaks, tab and escape
        {"x\by\x7f", "XY"},                  // backspace and delete mean nothing when inserted
        {"?&*#()/\\@_~;:", ""},              // ASCII without tiles
        {"\u00e9t\u00e9 \U0001F600", "T "},  // accented letters, emoji
        {"\xff\xc3(", ""},                   // bytes of no character
        {"", ""},
    };
    for (const auto& [inserted, kept] : cases) {
        EXPECT_EQ(filterText(inserted), kept) << inserted;
    }
}

}  // namespace
}  // namespace tilewright
