#include "rom/name_check.h"

#include <vector>

#include "rom/hex.h"
#include "rom/name_tiles.h"
#include "text/utf8.h"

namespace tilewright {
namespace {

// What a name may hold, from the tile table: "A-Z, 0-9, space and " and then the other
// characters that have a tile, in the table's order.
std::string allowedCharacters() {
    std::string text = "A-Z, 0-9, space and";
    for (const NameTile& entry : NameTileTable) {
        const char c = entry.character;
        const bool letterOrDigit = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != ' ') {
            text += ' ';
            text += c;
        }
    }
    return text;
}

// The refused character as a user can find it: quoted where it prints, always by code point.
std::string shownCharacter(char32_t c) {
    std::string text;
    if (c >= 0x20 && c != 0x7F) {
        text += '"';
        text += encodeUtf8(c);
        text += "\" ";
    }
    text += "(U+";
    appendHex(text, c, c > 0xFFFF ? 6 : 4);
    text += ')';
    return text;
}

}  // namespace

NameCheck checkName(std::string_view text) {
    const std::vector<char32_t> characters = decodeUtf8(text);
    if (characters.empty()) {
        return {.name = {}, .problem = NameProblem::Empty};
    }
    if (characters.size() > kMaxNameLength) {
        return {.name = {}, .problem = NameProblem::TooLong};
    }
    NameCheck check;
    for (std::size_t k = 0; k < characters.size(); ++k) {
        const std::optional<char> character = nameCharacter(characters[k]);
        if (!character) {
            return {.name = {},
                    .problem = NameProblem::NoTile,
                    .position = k + 1,
                    .character = characters[k]};
        }
        check.name += *character;
    }
    return check;
}

std::string nameProblemText(const NameCheck& check) {
    switch (check.problem) {
        case NameProblem::None:
            return {};
        case NameProblem::Empty:
            return "the name is empty; give 1 to " + std::to_string(kMaxNameLength) + " characters";
        case NameProblem::TooLong:
            return std::string(kNameTooLongText);
        case NameProblem::NoTile:
            return "character " + std::to_string(check.position) + " of the name, " +
                   shownCharacter(check.character) + ", has no tile; names hold " +
                   allowedCharacters();
    }
    return {};
}

}  // namespace tilewright
