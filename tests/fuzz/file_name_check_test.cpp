#include "fuzz/file_name_check.h"

#include <gtest/gtest.h>

#include <string>

namespace tilewright {
namespace {

TEST(ForbiddenInFileName, DiffersByPlatform) {
    for (const char c : {'<', '>', ':', '"', '\\', '|', '?', '*', '\t', '\x1F', '\x7F'}) {
        EXPECT_TRUE(forbiddenInFileName(static_cast<unsigned char>(c), FileNameRules::Windows))
            << int{c};
        EXPECT_FALSE(forbiddenInFileName(static_cast<unsigned char>(c), FileNameRules::Posix))
            << int{c};
    }
    for (const FileNameRules rules : {FileNameRules::Windows, FileNameRules::Posix}) {
        EXPECT_TRUE(forbiddenInFileName('/', rules));
        EXPECT_TRUE(forbiddenInFileName('\0', rules));
        // Bytes of multi-byte UTF-8 characters, and the name's own characters, are allowed.
        for (const int allowed :
             {0x80, 0xC3, 0xFF, int{'A'}, int{' '}, int{'.'}, int{'\''}, int{'-'}}) {
            EXPECT_FALSE(forbiddenInFileName(static_cast<unsigned char>(allowed), rules))
                << allowed;
        }
    }
}

TEST(FindFileNameFault, AcceptsTheRealSanitiser) {
    const std::string name("MY GAME <1>:\"A/B\\C|D?E*F\tG\x7F\0H\xC3\x89", 28);
    for (const FileNameRules rules : {FileNameRules::Windows, FileNameRules::Posix}) {
        EXPECT_EQ(findFileNameFault(name, rules, sanitizeFileName(name, rules)), std::nullopt);
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
    EXPECT_EQ(findFileNameFault("A:B", FileNameRules::Posix, "A:B"), std::nullopt);
}

}  // namespace
}  // namespace tilewright
