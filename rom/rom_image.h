#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tilewright {

// The whole content of a 27C64 EPROM.
inline constexpr std::size_t kRomSize = 8192;
using RomImage = std::array<std::uint8_t, kRomSize>;

// The icon shown beside the name; None and Icon1-Icon5 are picked by option buttons chk0-chk5.
enum class IconChoice : std::uint8_t { None = 0, Icon1, Icon2, Icon3, Icon4, Icon5 };
inline constexpr std::size_t kIconCount = 6;

// The icon a digit stands for on the command line, in a list and in show's reports: "0" (none)
// to "5"; nullopt for any other text.
[[nodiscard]] std::optional<IconChoice> iconFromDigit(std::string_view text) noexcept;
[[nodiscard]] char iconDigit(IconChoice icon) noexcept;

// Where the name record sits in the image and how long its fields are.
inline constexpr std::size_t kHeaderOffset = 0x1000;
inline constexpr std::size_t kNameOffset = 0x1002;
inline constexpr std::size_t kMaxNameLength = 19;
inline constexpr std::size_t kIconOffset = kNameOffset + kMaxNameLength;  // 0x1015
inline constexpr std::size_t kIconFieldLength = 4;

inline constexpr std::uint8_t kPadTile = 0x3E;
inline constexpr std::uint8_t kBlankTile = 0x3F;

// The tiles an icon writes from the start of the icon field; bytes it does not cover stay blank.
[[nodiscard]] std::span<const std::uint8_t> iconTiles(IconChoice icon);

// The icon field as the image holds it for the icon: its tiles, then blank tiles.
[[nodiscard]] std::array<std::uint8_t, kIconFieldLength> iconField(IconChoice icon);

// Builds the image for a name (UTF-8, 1 to kMaxNameLength characters) and an icon. Characters
// without a tile keep the pad tile in their place. Throws std::invalid_argument for an empty name,
// a longer one, or an icon outside IconChoice.
[[nodiscard]] RomImage buildRomImage(std::string_view name, IconChoice icon);

}  // namespace tilewright
