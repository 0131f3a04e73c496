#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rom/rom_image.h"

namespace tilewright {

// The characters of a UTF-8 text, worked out from the table of well-formed byte sequences
// rather than by decoding values, so it can stand as a second opinion on the core's decoder:
// each byte that starts no well-formed sequence is one character, U+FFFD.
[[nodiscard]] std::vector<char32_t> referenceDecodeUtf8(std::string_view text);

// What a correct image for this name and icon must hold, built without the core's builder.
// The name must have 1 to 19 characters and the icon must be one of IconChoice's values.
[[nodiscard]] RomImage expectedRomImage(std::string_view name, IconChoice icon);

// How the image differs from the one this name and icon must give, or nullopt when it does not.
[[nodiscard]] std::optional<std::string> findImageFault(std::string_view name, IconChoice icon,
                                                        const RomImage& image);

using RomBuilder = RomImage (*)(std::string_view, IconChoice);

// Runs the builder on any name and any icon byte (also those outside IconChoice) and says what
// it did wrong: a name of 1 to 19 characters with a known icon must give the correct image,
// everything else must throw std::invalid_argument and nothing else.
[[nodiscard]] std::optional<std::string> findBuildFault(std::string_view name,
                                                        std::uint8_t iconValue,
                                                        RomBuilder build = buildRomImage);

}  // namespace tilewright
