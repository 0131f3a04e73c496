#include "rom/rom_image.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "rom/name_tiles.h"
#include "text/utf8.h"

namespace tilewright {
namespace {

constexpr std::uint8_t kIcon1[] = {0x3F, 0xFD};
constexpr std::uint8_t kIcon2[] = {0xFB, 0xFC, 0xFE};
constexpr std::uint8_t kIcon3[] = {0x3F, 0xFD, 0xFE, 0x3F};
constexpr std::uint8_t kIcon4[] = {0xFB, 0xFC, 0xFD, 0xFE};
constexpr std::uint8_t kIcon5[] = {0x3F, 0x7D, 0xF9};

}  // namespace

std::span<const std::uint8_t> iconTiles(IconChoice icon) {
    switch (icon) {
        case IconChoice::None:
            return {};
        case IconChoice::Icon1:
            return kIcon1;
        case IconChoice::Icon2:
            return kIcon2;
        case IconChoice::Icon3:
            return kIcon3;
        case IconChoice::Icon4:
            return kIcon4;
        case IconChoice::Icon5:
            return kIcon5;
    }
    throw std::invalid_argument("unknown icon");
}

std::optional<IconChoice> iconFromDigit(std::string_view text) noexcept {
    if (text.size() == 1 && text[0] >= '0' && text[0] < static_cast<char>('0' + kIconCount)) {
        return static_cast<IconChoice>(text[0] - '0');
    }
    return std::nullopt;
}

char iconDigit(IconChoice icon) noexcept {
    return static_cast<char>('0' + static_cast<int>(icon));
}

std::array<std::uint8_t, kIconFieldLength> iconField(IconChoice icon) {
    std::array<std::uint8_t, kIconFieldLength> field;
    field.fill(kBlankTile);
    const std::span<const std::uint8_t> tiles = iconTiles(icon);
    std::copy(tiles.begin(), tiles.end(), field.begin());
    return field;
}

RomImage buildRomImage(std::string_view name, IconChoice icon) {
    const std::vector<char32_t> characters = decodeUtf8(name);
    if (characters.empty() || characters.size() > kMaxNameLength) {
        throw std::invalid_argument("a name must have 1 to " + std::to_string(kMaxNameLength) +
                                    " characters");
    }
    const auto icons = iconField(icon);

    RomImage image{};
    image[kHeaderOffset] = 'P';
    image[kHeaderOffset + 1] = 'C';
    std::fill_n(image.begin() + kNameOffset, kMaxNameLength, kPadTile);

    // A character without a tile keeps the pad tile but still takes its place.
    std::size_t position = kNameOffset;
    for (const char32_t c : characters) {
        if (const auto tile = tileForChar(c)) {
            image[position] = *tile;
        }
        ++position;
    }
    // After a full 19 characters this lands on the icon field's first byte.
    image[position] = kBlankTile;

    std::copy(icons.begin(), icons.end(), image.begin() + kIconOffset);
    return image;
}

}  // namespace tilewright
