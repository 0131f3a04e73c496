#include "tests/support/image_check.h"

#include <array>
#include <exception>
#include <sstream>
#include <stdexcept>

#include "rom/name_tiles.h"

namespace tilewright {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kMaxCharacters = 19;
constexpr std::size_t kRecordEnd = 0x1019;  // one past the icon field

// The icon field as it is stored, whatever the name's length.
constexpr std::array<std::array<std::uint8_t, 4>, 6> kStoredIconFields = {{
    {0x3F, 0x3F, 0x3F, 0x3F},
    {0x3F, 0xFD, 0x3F, 0x3F},
    {0xFB, 0xFC, 0xFE, 0x3F},
    {0x3F, 0xFD, 0xFE, 0x3F},
    {0xFB, 0xFC, 0xFD, 0xFE},
    {0x3F, 0x7D, 0xF9, 0x3F},
}};

struct ByteRange {
    std::uint8_t low;
    std::uint8_t high;
};

// The second byte's range for a lead byte, which rules out overlong forms, surrogates and
// code points past U+10FFFF; every later byte is 80-BF. Length 0: not a lead byte.
struct LeadByte {
    std::size_t length;
    ByteRange second;
};

LeadByte leadByte(std::uint8_t b) {
    constexpr ByteRange kAny{0x80, 0xBF};
    if (b <= 0x7F)
        return {1, kAny};
    if (b >= 0xC2 && b <= 0xDF)
        return {2, kAny};
    if (b == 0xE0)
        return {3, {0xA0, 0xBF}};
    if (b == 0xED)
        return {3, {0x80, 0x9F}};
    if (b >= 0xE1 && b <= 0xEF)
        return {3, kAny};
    if (b == 0xF0)
        return {4, {0x90, 0xBF}};
    if (b == 0xF4)
        return {4, {0x80, 0x8F}};
    if (b >= 0xF1 && b <= 0xF3)
        return {4, kAny};
    return {0, kAny};
}

bool inRange(std::uint8_t b, ByteRange range) {
    return b >= range.low && b <= range.high;
}

std::string hexByte(unsigned value) {
    std::ostringstream text;
    text << "0x" << std::hex << std::uppercase << value;
    return text.str();
}

// Names the part of the image an offset belongs to, for messages.
std::string placeOf(std::size_t offset) {
    if (offset < 0x1000 || offset >= kRecordEnd)
        return "outside the name record";
    if (offset < 0x1002)
        return "header";
    if (offset < 0x1015)
        return "name position " + std::to_string(offset - 0x1002);
    return "icon byte " + std::to_string(offset - 0x1015);
}

std::string quoted(std::string_view name) {
    std::ostringstream text;
    text << '"';
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\') {
            text << c;
        } else {
            text << "\\x" << std::hex << static_cast<unsigned>(b) << std::dec;
        }
    }
    text << '"';
    return text.str();
}

}  // namespace

std::vector<char32_t> referenceDecodeUtf8(std::string_view text) {
    std::vector<char32_t> characters;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
        const LeadByte lead = leadByte(at(0));
        bool wellFormed = lead.length != 0 && i + lead.length <= text.size();
        for (std::size_t k = 1; wellFormed && k < lead.length; ++k) {
            wellFormed = inRange(at(k), k == 1 ? lead.second : ByteRange{0x80, 0xBF});
        }
        if (!wellFormed) {
            characters.push_back(kReplacement);
            ++i;
            continue;
        }
        // The lead byte keeps 7, 5, 4 or 3 value bits for lengths 1 to 4.
        constexpr std::uint8_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
        char32_t value = at(0) & kLeadMask[lead.length];
        for (std::size_t k = 1; k < lead.length; ++k) {
            value = (value << 6) | (at(k) & 0x3F);
        }
        characters.push_back(value);
        i += lead.length;
    }
    return characters;
}

RomImage expectedRomImage(std::string_view name, IconChoice icon) {
    const std::vector<char32_t> characters = referenceDecodeUtf8(name);
    RomImage image{};
    image[0x1000] = 0x50;
    image[0x1001] = 0x43;
    for (std::size_t k = 0; k < kMaxCharacters; ++k) {
        std::uint8_t tile = 0x3E;
        if (k < characters.size()) {
            tile = tileForChar(characters[k]).value_or(0x3E);
        } else if (k == characters.size()) {
            tile = 0x3F;
        }
        image[0x1002 + k] = tile;
    }
    const auto& field = kStoredIconFields.at(static_cast<std::size_t>(icon));
    for (std::size_t k = 0; k < field.size(); ++k) {
        image[0x1015 + k] = field[k];
    }
    return image;
}

std::optional<std::string> findImageFault(std::string_view name, IconChoice icon,
                                          const RomImage& image) {
    const RomImage expected = expectedRomImage(name, icon);
    // One comparison of the whole image first; the byte-by-byte search only finds the fault.
    if (image == expected) {
        return std::nullopt;
    }
    for (std::size_t offset = 0; offset < kRomSize; ++offset) {
        if (image[offset] != expected[offset]) {
            return "name " + quoted(name) + ", icon " +
                   std::to_string(static_cast<unsigned>(icon)) + ": byte " + hexByte(offset) +
                   " (" + placeOf(offset) + ") is " + hexByte(image[offset]) + ", should be " +
                   hexByte(expected[offset]);
        }
    }
    return std::nullopt;
}

std::optional<std::string> findBuildFault(std::string_view name, std::uint8_t iconValue,
                                          RomBuilder build) {
    const std::size_t length = referenceDecodeUtf8(name).size();
    const bool valid = length >= 1 && length <= kMaxCharacters && iconValue < 6;
    const auto icon = static_cast<IconChoice>(iconValue);
    // Described only for a fault: the fuzz targets call this millions of times.
    const auto inputs = [&] {
        return "name " + quoted(name) + " (" + std::to_string(length) + " characters), icon " +
               std::to_string(iconValue);
    };
    try {
        const RomImage image = build(name, icon);
        if (!valid) {
            return inputs() + ": an image was built where std::invalid_argument was due";
        }
        return findImageFault(name, icon, image);
    } catch (const std::invalid_argument& e) {
        if (valid) {
            return inputs() + ": refused with \"" + e.what() + "\"";
        }
        return std::nullopt;
    } catch (const std::exception& e) {
        return inputs() + ": threw something other than std::invalid_argument: " + e.what();
    } catch (...) {
        return inputs() + ": threw something that is not a std::exception";
    }
}

}  // namespace tilewright
