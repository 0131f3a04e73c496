#include "fuzz/image_check.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tilewright {
namespace {

using Chars = std::vector<char32_t>;

TEST(ReferenceDecodeUtf8, DecodesWellFormedSequences) {
    EXPECT_EQ(referenceDecodeUtf8(""), Chars{});
    EXPECT_EQ(referenceDecodeUtf8("A z"), (Chars{'A', ' ', 'z'}));
    EXPECT_EQ(referenceDecodeUtf8("\xC3\x89"), Chars{0xC9});              // É
    EXPECT_EQ(referenceDecodeUtf8("\xE2\x82\xAC"), Chars{0x20AC});        // €
    EXPECT_EQ(referenceDecodeUtf8("\xF0\x9F\x9A\x80"), Chars{0x1F680});   // rocket
    EXPECT_EQ(referenceDecodeUtf8("\xF4\x8F\xBF\xBF"), Chars{0x10FFFF});  // last code point
}

TEST(ReferenceDecodeUtf8, CountsEachIllFormedByteAsOneReplacement) {
    constexpr char32_t r = 0xFFFD;
    EXPECT_EQ(referenceDecodeUtf8("\xC0\x80"), (Chars{r, r}));                // overlong NUL
    EXPECT_EQ(referenceDecodeUtf8("\xE0\x9F\xBF"), (Chars{r, r, r}));         // overlong
    EXPECT_EQ(referenceDecodeUtf8("\xED\xA0\x80"), (Chars{r, r, r}));         // surrogate
    EXPECT_EQ(referenceDecodeUtf8("\xF4\x90\x80\x80"), (Chars{r, r, r, r}));  // past U+10FFFF
    EXPECT_EQ(referenceDecodeUtf8("\x80"
                                  "A"),
              (Chars{r, 'A'}));
    // A sequence cut short by the end or by an ASCII byte.
    EXPECT_EQ(referenceDecodeUtf8("A\xE2\x82"), (Chars{'A', r, r}));
    EXPECT_EQ(referenceDecodeUtf8("\xE2\x82"
                                  "B"),
              (Chars{r, r, 'B'}));
    EXPECT_EQ(referenceDecodeUtf8("\xFF\xFE"), (Chars{r, r}));
}

// Bytes 0x1000 to 0x1018 of the expected image, checking everything else is zero.
std::vector<std::uint8_t> record(const RomImage& image) {
    for (std::size_t i = 0; i < kRomSize; ++i) {
        if (i < 0x1000 || i > 0x1018) {
            EXPECT_EQ(image[i], 0) << "byte " << i;
        }
    }
    return {image.begin() + 0x1000, image.begin() + 0x1019};
}

TEST(ExpectedRomImage, MatchesHandWrittenRecords) {
    EXPECT_EQ(record(expectedRomImage("HELLO, WORLD!", IconChoice::Icon3)),
              (std::vector<std::uint8_t>{0x50, 0x43, 0x11, 0x0E, 0x15, 0x15, 0x18, 0x2A, 0x3F,
                                         0x20, 0x18, 0x1B, 0x15, 0x0D, 0x26, 0x3F, 0x3E, 0x3E,
                                         0x3E, 0x3E, 0x3E, 0x3F, 0xFD, 0xFE, 0x3F}));
    // 19 characters: the terminator falls on the icon field, where icon 4's FB replaces it.
    EXPECT_EQ(record(expectedRomImage("0123456789ABCDEFGHI", IconChoice::Icon4)),
              (std::vector<std::uint8_t>{0x50, 0x43, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                                         0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
                                         0x10, 0x11, 0x12, 0xFB, 0xFC, 0xFD, 0xFE}));
    // A character without a tile keeps the pad tile; a two-byte character takes one place.
    EXPECT_EQ(record(expectedRomImage("x\xC3\x89-1", IconChoice::Icon5)),
              (std::vector<std::uint8_t>{0x50, 0x43, 0x3E, 0x3E, 0x27, 0x01, 0x3F, 0x3E, 0x3E,
                                         0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E,
                                         0x3E, 0x3E, 0x3E, 0x3F, 0x7D, 0xF9, 0x3F}));
}

TEST(FindImageFault, FlagsOneWrongByteAnywhere) {
    const std::string name = "SPACE RACE";
    const RomImage good = buildRomImage(name, IconChoice::Icon1);
    ASSERT_EQ(findImageFault(name, IconChoice::Icon1, good), std::nullopt);
    // Zero area, header, a name tile, the terminator, a pad tile, the icon field, zero area.
    for (const std::size_t offset : {0x0000, 0x0FFF, 0x1000, 0x1001, 0x1002, 0x100C, 0x100D, 0x1014,
                                     0x1015, 0x1016, 0x1018, 0x1019, 0x1FFF}) {
        RomImage bad = good;
        bad[offset] ^= 0x01;
        const auto fault = findImageFault(name, IconChoice::Icon1, bad);
        ASSERT_TRUE(fault.has_value()) << "offset " << offset;
        EXPECT_NE(fault->find("byte 0x"), std::string::npos) << *fault;
    }
    EXPECT_TRUE(findImageFault(name, IconChoice::Icon3, good).has_value());
    EXPECT_TRUE(findImageFault("SPACE RACF", IconChoice::Icon1, good).has_value());
}

// Builders with faults a real one could have, to show the check notices each of them.
RomImage countsBytes(std::string_view name, IconChoice icon) {
    if (name.empty() || name.size() > 19) {
        throw std::invalid_argument("too long");
    }
    return buildRomImage(name, icon);
}

RomImage acceptsTwenty(std::string_view name, IconChoice icon) {
    return buildRomImage(name.substr(0, 19), icon);
}

RomImage throwsWrongType(std::string_view name, IconChoice icon) {
    if (name.empty()) {
        throw std::length_error("empty");
    }
    return buildRomImage(name, icon);
}

// Writes the name's terminator after the icon instead of before it.
RomImage terminatorOverIcon(std::string_view name, IconChoice icon) {
    RomImage image = buildRomImage(name, icon);
    if (name.size() == 19) {
        image[0x1015] = 0x3F;
    }
    return image;
}

TEST(FindBuildFault, AcceptsTheRealBuilder) {
    for (const std::string_view name :
         {"A", "SPACE RACE", "ABCDEFGHIJKLMNOPQRS", "x-1", "\xC3\x89"}) {
        for (std::uint8_t icon = 0; icon < 6; ++icon) {
            EXPECT_EQ(findBuildFault(name, icon), std::nullopt) << name << ' ' << int{icon};
        }
    }
    for (const std::string_view refused : {"", "ABCDEFGHIJKLMNOPQRST"}) {
        EXPECT_EQ(findBuildFault(refused, 0), std::nullopt);
    }
    EXPECT_EQ(findBuildFault("A", 6), std::nullopt);
    EXPECT_EQ(findBuildFault("A", 255), std::nullopt);
}

TEST(FindBuildFault, CatchesFaultyBuilders) {
    // Ten two-byte characters are 20 bytes but only 10 characters.
    std::string accented;
    for (int i = 0; i < 10; ++i) {
        accented += "\xC3\x89";
    }
    EXPECT_TRUE(findBuildFault(accented, 0, countsBytes).has_value());
    EXPECT_TRUE(findBuildFault("ABCDEFGHIJKLMNOPQRST", 0, acceptsTwenty).has_value());
    EXPECT_TRUE(findBuildFault("", 0, throwsWrongType).has_value());
    EXPECT_TRUE(findBuildFault("ABCDEFGHIJKLMNOPQRS", 4, terminatorOverIcon).has_value());
    // The same faulty builders pass where their fault does not show.
    EXPECT_EQ(findBuildFault("ABC", 0, countsBytes), std::nullopt);
    EXPECT_EQ(findBuildFault("ABCDEFGHIJKLMNOPQRS", 3, terminatorOverIcon), std::nullopt);
}

}  // namespace
}  // namespace tilewright
