#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rom/rom_image.h"
#include "text/joined_text.h"

namespace tilewright {

// What the window says when Create is pressed with a name that is too long; the command line
// says the same.
inline constexpr std::string_view kNameTooLongText = joinedText<[] {
    return std::array<std::string_view, 3>{"Name must be ", decimalText<kMaxNameLength>,
                                           " Characters or Less."};
}>;

// What keeps a name given as text from becoming an image.
enum class NameProblem : std::uint8_t { None, Empty, TooLong, NoTile };

// A name given as text (typed, on a command line, in a list), checked as the name box would take
// it: lower-case letters become capitals; a character without a tile is refused rather than
// left as a pad tile, which would put a wrong name on the chip.
struct NameCheck {
    std::string name;  // the name the image carries, in capitals; empty unless the name is fine
    NameProblem problem = NameProblem::None;
    std::size_t position = 0;  // NoTile: the refused character's place in the name, from 1
    char32_t character = 0;    // NoTile: that character

    [[nodiscard]] bool ok() const noexcept { return problem == NameProblem::None; }
};

// Checks the UTF-8 text: an empty name first, then the length, then each character in turn.
[[nodiscard]] NameCheck checkName(std::string_view text);

// What is wrong, as one sentence for a user: the too-long text is kNameTooLongText; the others
// say what a name may hold. Empty for a name that is fine.
[[nodiscard]] std::string nameProblemText(const NameCheck& check);

}  // namespace tilewright
