#include "rom/rom_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/utf8.h"

namespace tilewright {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The name record, 0x1000 to 0x1018, after checking that every other byte is zero.
Bytes nameRecord(const RomImage& image) {
    EXPECT_EQ(image.size(), 8192u);
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (i < 0x1000 || i > 0x1018) {
            EXPECT_EQ(image[i], 0) << "byte at " << std::hex << i;
        }
    }
    return {image.begin() + 0x1000, image.begin() + 0x1019};
}

Bytes record(const Bytes& name, const Bytes& icon) {
    Bytes all(2 + name.size() + icon.size());
    all[0] = 0x50;
    all[1] = 0x43;
    std::copy(icon.begin(), icon.end(), std::copy(name.begin(), name.end(), all.begin() + 2));
    return all;
}

Bytes padded(Bytes name, std::size_t pads) {
    name.insert(name.end(), pads, 0x3E);
    return name;
}

TEST(BuildRomImage, WorkedExamples) {
    EXPECT_EQ(nameRecord(buildRomImage("HELLO, WORLD!", IconChoice::Icon3)),
              record(padded({0x11, 0x0E, 0x15, 0x15, 0x18, 0x2A, 0x3F, 0x20, 0x18, 0x1B, 0x15, 0x0D,
                             0x26, 0x3F},
                            5),
                     {0x3F, 0xFD, 0xFE, 0x3F}));
    EXPECT_EQ(nameRecord(buildRomImage("A", IconChoice::None)),
              record(padded({0x0A, 0x3F}, 17), {0x3F, 0x3F, 0x3F, 0x3F}));
    EXPECT_EQ(nameRecord(buildRomImage("ABCDEFGHIJKLMNOPQRS", IconChoice::Icon5)),
              record({0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16,
                      0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C},
                     {0x3F, 0x7D, 0xF9, 0x3F}));
    // A lower-case x has no tile: it keeps the pad tile and does not shift the rest.
    EXPECT_EQ(nameRecord(buildRomImage("x-1", IconChoice::Icon2)),
              record(padded({0x3E, 0x27, 0x01, 0x3F}, 15), {0xFB, 0xFC, 0xFE, 0x3F}));
    EXPECT_EQ(nameRecord(buildRomImage("SPACE RACE", IconChoice::Icon3)),
              record(padded({0x1C, 0x19, 0x0A, 0x0C, 0x0E, 0x3F, 0x1B, 0x0A, 0x0C, 0x0E, 0x3F}, 8),
                     {0x3F, 0xFD, 0xFE, 0x3F}));
}

TEST(BuildRomImage, StoresEachIconsTilesAndBlanksTheRest) {
    const std::pair<IconChoice, Bytes> icons[] = {
        {IconChoice::None, {0x3F, 0x3F, 0x3F, 0x3F}},
        {IconChoice::Icon1, {0x3F, 0xFD, 0x3F, 0x3F}},
        {IconChoice::Icon2, {0xFB, 0xFC, 0xFE, 0x3F}},
        {IconChoice::Icon3, {0x3F, 0xFD, 0xFE, 0x3F}},
        {IconChoice::Icon4, {0xFB, 0xFC, 0xFD, 0xFE}},
        {IconChoice::Icon5, {0x3F, 0x7D, 0xF9, 0x3F}},
    };
    for (const auto& [icon, field] : icons) {
        EXPECT_EQ(nameRecord(buildRomImage("HI", icon)),
                  record(padded({0x11, 0x12, 0x3F}, 16), field))
            << "icon " << static_cast<int>(icon);
    }
}

TEST(BuildRomImage, BlankAfterAFullNameIsKeptOnlyWhereTheIconLeavesIt) {
    const std::string full(19, 'W');
    // The blank after 19 characters falls on the icon field's first byte.
    EXPECT_EQ(buildRomImage(full, IconChoice::None)[0x1015], 0x3F);
    EXPECT_EQ(buildRomImage(full, IconChoice::Icon1)[0x1015], 0x3F);
    EXPECT_EQ(buildRomImage(full, IconChoice::Icon2)[0x1015], 0xFB);
    EXPECT_EQ(buildRomImage(full, IconChoice::Icon3)[0x1015], 0x3F);
    EXPECT_EQ(buildRomImage(full, IconChoice::Icon4)[0x1015], 0xFB);
    EXPECT_EQ(buildRomImage(full, IconChoice::Icon5)[0x1015], 0x3F);
    EXPECT_EQ(buildRomImage(full, IconChoice::None)[0x1014], 0x20);

    const RomImage eighteen = buildRomImage(std::string(18, 'W'), IconChoice::Icon4);
    EXPECT_EQ(eighteen[0x1013], 0x20);
    EXPECT_EQ(eighteen[0x1014], 0x3F) << "an 18-character name leaves no pad tile";
}

TEST(BuildRomImage, SpacesAndCharactersWithoutTiles) {
    EXPECT_EQ(nameRecord(buildRomImage("   ", IconChoice::None)),
              record(padded({0x3F, 0x3F, 0x3F, 0x3F}, 15), {0x3F, 0x3F, 0x3F, 0x3F}));
    EXPECT_EQ(nameRecord(buildRomImage("A?B", IconChoice::None)),
              record(padded({0x0A, 0x3E, 0x0B, 0x3F}, 15), {0x3F, 0x3F, 0x3F, 0x3F}));
}

TEST(BuildRomImage, CountsCharactersNotBytes) {
    // "É" is two bytes but one character: one position, with the pad tile.
    EXPECT_EQ(nameRecord(buildRomImage("\u00C9A", IconChoice::None)),
              record(padded({0x3E, 0x0A, 0x3F}, 16), {0x3F, 0x3F, 0x3F, 0x3F}));
    // 19 two-byte characters fit; one more does not.
    std::string accents;
    for (int i = 0; i < 19; ++i) {
        accents += "\u00C9";
    }
    EXPECT_EQ(buildRomImage(accents, IconChoice::Icon1)[0x1015], 0x3F);
    EXPECT_THROW((void)buildRomImage(accents + "\u00C9", IconChoice::None), std::invalid_argument);
    // A byte that is not UTF-8 counts as one character of its own.
    EXPECT_EQ(nameRecord(buildRomImage("\xFF"
                                       "B",
                                       IconChoice::None)),
              record(padded({0x3E, 0x0B, 0x3F}, 16), {0x3F, 0x3F, 0x3F, 0x3F}));
}

TEST(BuildRomImage, RefusesWhatCannotFitInsteadOfWritingPastTheField) {
    EXPECT_THROW((void)buildRomImage("", IconChoice::None), std::invalid_argument);
    EXPECT_THROW((void)buildRomImage(std::string(20, 'A'), IconChoice::Icon4),
                 std::invalid_argument);
    EXPECT_THROW((void)buildRomImage("A", static_cast<IconChoice>(6)), std::invalid_argument);
}

TEST(DecodeUtf8, MalformedBytesCountOneCharacterEach) {
    EXPECT_EQ(decodeUtf8("A\u00E9\u20AC\U0001F600").size(), 4u);
    EXPECT_EQ(decodeUtf8("\xC0\x80").size(), 2u) << "overlong NUL";
    EXPECT_EQ(decodeUtf8("\xED\xA0\x80").size(), 3u) << "surrogate";
    EXPECT_EQ(decodeUtf8("\xE2\x82").size(), 2u) << "truncated";
    EXPECT_EQ(decodeUtf8("\xF4\x90\x80\x80").size(), 4u) << "past U+10FFFF";
    EXPECT_EQ(decodeUtf8("\x80Z"), (std::vector<char32_t>{0xFFFD, U'Z'}));
}

}  // namespace
}  // namespace tilewright
