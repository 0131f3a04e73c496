#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rom/rom_image.h"

namespace tilewright {

// One way in which an image differs from what Tilewright writes.
struct ImageFinding {
    std::optional<std::size_t> offset;  // the first byte concerned, where there is one
    std::string text;
};

// What an image carries, read back as a person checking a chip needs it.
struct ImageReport {
    // Empty when the bytes are an image of this kind (8192 bytes, "PC" at 0x1000); else why not.
    std::string notAnImage;
    // The name as read from the name field; a character that has no tile shows as '?'.
    std::string name;
    std::size_t nameLength = 0;
    // An 18-character name gives the same image as that name followed by a space.
    bool mayEndInSpace = false;
    std::optional<IconChoice> icon;  // nullopt when the icon field holds no icon's form
    std::array<std::uint8_t, kIconFieldLength> iconField{};
    std::vector<ImageFinding> findings;
    // True only when the bytes are exactly what buildRomImage makes for the name and icon.
    bool conforming = false;
};

[[nodiscard]] ImageReport examineImage(std::span<const std::uint8_t> bytes);

}  // namespace tilewright
