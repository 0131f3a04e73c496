#include "rom/image_check.h"

#include <algorithm>

#include "rom/hex.h"
#include "rom/name_tiles.h"

namespace tilewright {
namespace {

std::optional<char> characterForTile(std::uint8_t tile) {
    const auto entry = std::find_if(NameTileTable.begin(), NameTileTable.end(),
                                    [tile](const NameTile& t) { return t.tile == tile; });
    return entry == NameTileTable.end() ? std::nullopt : std::optional<char>(entry->character);
}

// The field's length up to the 0x3F that only pad tiles follow; the whole field when there is
// none.
std::size_t nameLength(std::span<const std::uint8_t> field) {
    for (std::size_t end = field.size(); end-- > 0;) {
        if (field[end] == kBlankTile) {
            return end;
        }
        if (field[end] != kPadTile) {
            break;
        }
    }
    return field.size();
}

void readName(std::span<const std::uint8_t> bytes, ImageReport& report) {
    const auto field = bytes.subspan(kNameOffset, kMaxNameLength);
    report.nameLength = nameLength(field);
    report.mayEndInSpace = report.nameLength == kMaxNameLength - 1;
    if (report.nameLength == 0) {
        report.findings.push_back({kNameOffset, "the name is empty"});
    }
    for (std::size_t k = 0; k < report.nameLength; ++k) {
        const std::size_t offset = kNameOffset + k;
        const std::string where =
            "character " + std::to_string(k + 1) + " (at " + hexAddress(offset) + ")";
        if (const auto character = characterForTile(field[k])) {
            report.name += *character;
        } else if (field[k] == kPadTile) {
            report.name += '?';
            report.findings.push_back(
                {offset, where + " is the pad tile 3E: a character without a tile"});
        } else {
            report.name += '?';
            report.findings.push_back({offset, where + " is " + hexBytes(field.subspan(k, 1)) +
                                                   ", which no character produces"});
        }
    }
}

void readIcon(std::span<const std::uint8_t> bytes, ImageReport& report) {
    std::copy_n(bytes.begin() + kIconOffset, kIconFieldLength, report.iconField.begin());
    for (std::size_t value = 0; value < kIconCount; ++value) {
        const auto icon = static_cast<IconChoice>(value);
        if (iconField(icon) == report.iconField) {
            report.icon = icon;
            return;
        }
    }
    report.findings.push_back({kIconOffset, "the icon field holds " + hexBytes(report.iconField) +
                                                ", which is none of the six icons"});
}

void checkZeros(std::span<const std::uint8_t> bytes, ImageReport& report) {
    std::optional<std::size_t> first;
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < bytes.size(); ++offset) {
        const bool record = offset >= kHeaderOffset && offset < kIconOffset + kIconFieldLength;
        if (!record && bytes[offset] != 0) {
            ++count;
            first = first.value_or(offset);
        }
    }
    if (count > 0) {
        report.findings.push_back({first, std::to_string(count) +
                                              (count == 1 ? " byte" : " bytes") +
                                              " that should be 00 " + (count == 1 ? "is" : "are") +
                                              " not; the first at " + hexAddress(*first)});
    }
}

}  // namespace

ImageReport examineImage(std::span<const std::uint8_t> bytes) {
    ImageReport report;
    if (bytes.size() != kRomSize) {
        report.notAnImage = std::to_string(bytes.size()) + " bytes, not the 8192 of a 27C64";
        return report;
    }
    if (bytes[kHeaderOffset] != 'P' || bytes[kHeaderOffset + 1] != 'C') {
        report.notAnImage = "no \"PC\" at 0x1000";
        return report;
    }
    readName(bytes, report);
    readIcon(bytes, report);
    checkZeros(bytes, report);
    // The checks above cover every byte: the header, each name tile and the 3F and 3E pads
    // after the name, the icon field and the zeros. Passing them all is being the image that
    // buildRomImage makes for this name and icon.
    report.conforming = report.findings.empty() && report.icon.has_value();
    return report;
}

}  // namespace tilewright
