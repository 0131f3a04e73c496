#include "tests/core/tile_check.h"

#include "rom/name_tiles.h"

namespace tilewright {
namespace {

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

}  // namespace

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

std::optional<std::string> findTileFault(char32_t code, TileFunction tile) {
    const auto actual = tile(code);
    const auto expected = referenceTile(code);
    if (actual != expected) {
        return "code " + std::to_string(static_cast<std::uint32_t>(code)) + " gives " +
               describe(actual) + ", should give " + describe(expected);
    }
    return std::nullopt;
}

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

}  // namespace tilewright
