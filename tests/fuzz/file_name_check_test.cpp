#include "fuzz/file_name_check.h"

#include <gtest/gtest.h>

#include <string>

namespace tilewright {
namespace {

TEST(ForbiddenInFileName, DiffersByPlatform) {
    for (const char c : {'<', '>', ':', '"', '\\', '|', '?', '*'}) {
        EXPECT_TRUE(forbiddenInFileName(static_cast<unsigned char>(c), FileNameRules::Windows))
            << int{c};
        EXPECT_FALSE(forbiddenInFileName(static_cast<unsigned char>(c), FileNameRules::Posix))
            << int{c};
    }
    for (const FileNameRules rules : {FileNameRules::Windows, FileNameRules::Posix}) {
        for (const char c : {'/', '\0', '\t', '\n', '\x1B', '\x1F', '\x7F'}) {
            EXPECT_TRUE(forbiddenInFileName(static_cast<unsigned char>(c), rules)) << int{c};
        }
        // Bytes of multi-byte UTF-8 characters, and the name's own characters, are allowed.
        for (const int allowed :
             {0x80, 0xC3, 0xFF, int{'A'}, int{' '}, int{'.'}, int{'\''}, int{'-'}}) {
            EXPECT_FALSE(forbiddenInFileName(static_cast<unsigned char>(allowed), rules))
                << allowed;
        }
    }
}

TEST(FindFileNameFault, AcceptsTheRealSanitiser) {
    for (const std::string& name :
         {std::string("MY GAME <1>:\"A/B\\C|D?E*F\tG\x7F\0H\xC3\x89", 28), std::string("con .bin"),
          std::string("HI. "), std::string("COM\xC2\xB9")}) {
        for (const FileNameRules rules : {FileNameRules::Windows, FileNameRules::Posix}) {
            EXPECT_EQ(findFileNameFault(name, rules, sanitizeFileName(name, rules)), std::nullopt);
        }
    }
}

TEST(FindFileNameFault, CatchesWrongResults) {
    const auto w = FileNameRules::Windows;
    EXPECT_TRUE(findFileNameFault("A:B", w, "A:B").has_value());  // left unchanged
    EXPECT_TRUE(findFileNameFault("A:B", w, "AB").has_value());   // dropped
    EXPECT_TRUE(findFileNameFault("A:B", w, "A-B").has_value());  // other replacement
    EXPECT_TRUE(findFileNameFault("A B", w, "A_B").has_value());  // allowed byte replaced
    EXPECT_TRUE(findFileNameFault("A/B", FileNameRules::Posix, "A/B").has_value());
    EXPECT_TRUE(findFileNameFault(std::string("A\0B", 3), FileNameRules::Posix, "A").has_value());
    EXPECT_TRUE(findFileNameFault("A\nB", FileNameRules::Posix, "A\nB").has_value());
    EXPECT_TRUE(findFileNameFault("HI.", w, "HI.").has_value());       // trailing dot kept
    EXPECT_TRUE(findFileNameFault("CON", w, "CON").has_value());       // device name kept
    EXPECT_TRUE(findFileNameFault("CON.X", w, "CON.X_").has_value());  // "_" in the wrong place
    EXPECT_EQ(findFileNameFault("CON.X", w, "CON_.X"), std::nullopt);
    EXPECT_EQ(findFileNameFault("A:B", FileNameRules::Posix, "A:B"), std::nullopt);
}

}  // namespace
}  // namespace tilewright
