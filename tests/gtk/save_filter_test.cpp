// The save dialog's file-type list, from the Create command's filter string.
#include <gtest/gtest.h>

#include "ui/gtk/save_filter.h"

namespace tilewright {
namespace {

TEST(SaveFilters, SplitsDescriptionAndPatternPairs) {
    const std::vector<SaveFilter> one = parseSaveFilters("Binary Files (*.BIN)|*.BIN");
    ASSERT_EQ(one.size(), 1U);
    EXPECT_EQ(one[0].description, "Binary Files (*.BIN)");
    EXPECT_EQ(one[0].patterns, std::vector<std::string>{"*.BIN"});

    const std::vector<SaveFilter> two = parseSaveFilters("ROM|*.BIN;*.ROM|All|*");
    ASSERT_EQ(two.size(), 2U);
    EXPECT_EQ(two[0].patterns, (std::vector<std::string>{"*.BIN", "*.ROM"}));
    EXPECT_EQ(two[1].description, "All");
    EXPECT_EQ(two[1].patterns, std::vector<std::string>{"*"});
}

TEST(SaveFilters, IgnoresADescriptionWithoutPatterns) {
    EXPECT_TRUE(parseSaveFilters("").empty());
    EXPECT_TRUE(parseSaveFilters("Binary Files").empty());
    EXPECT_TRUE(parseSaveFilters("Binary Files|").empty());
    EXPECT_EQ(parseSaveFilters("A|*.A|B").size(), 1U);
}

TEST(SaveFilters, PatternsMatchInAnyLetterCase) {
    EXPECT_EQ(caseInsensitivePattern("*.BIN"), "*.[bB][iI][nN]");
    EXPECT_EQ(caseInsensitivePattern("rom?.b1n"), "[rR][oO][mM]?.[bB]1[nN]");
    EXPECT_EQ(caseInsensitivePattern("*.[ch]"), "*.[ch]");  // a set stays as written
    EXPECT_EQ(caseInsensitivePattern("*"), "*");
}

}  // namespace
}  // namespace tilewright
