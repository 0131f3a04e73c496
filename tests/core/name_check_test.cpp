#include "rom/name_check.h"

#include <gtest/gtest.h>

namespace tilewright {
namespace {

std::string repeated(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

TEST(CheckName, TakesWhatTheNameBoxWouldAndSaysWhatIsWrongWithTheRest) {
    const struct {
        std::string text;
        std::string name;     // empty when refused
        std::string problem;  // empty when taken
    } cases[] = {
        {"space race", "SPACE RACE", ""},
        {"dr. \"z\", it's 1-2!", "DR. \"Z\", IT'S 1-2!", ""},
        {"   ", "   ", ""},
        {std::string(19, 'a'), std::string(19, 'A'), ""},
        {"", "", "the name is empty; give 1 to 19 characters"},
        {std::string(20, 'A'), "", "Name must be 19 Characters or Less."},
        // Twenty characters of two bytes each: too long before any is looked at.
        {repeated("\xC3\xA9", 20), "", "Name must be 19 Characters or Less."},
        {"a&b", "",
         "character 2 of the name, \"&\" (U+0026), has no tile; names hold A-Z, 0-9, space and "
         ". ' ! - \" ,"},
        {"A\tB", "",
         "character 2 of the name, (U+0009), has no tile; names hold A-Z, 0-9, "
         "space and . ' ! - \" ,"},
        {"X\xF0\x9F\x98\x80", "",
         "character 2 of the name, \"\xF0\x9F\x98\x80\" (U+01F600), "
         "has no tile; names hold A-Z, 0-9, space and . ' ! - \" ,"},
        {"AB\xFF", "",
         "character 3 of the name, \"\xEF\xBF\xBD\" (U+FFFD), has no tile; names "
         "hold A-Z, 0-9, space and . ' ! - \" ,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const NameCheck check = checkName(c.text);
        EXPECT_EQ(check.name, c.name);
        EXPECT_EQ(check.ok(), c.problem.empty());
        EXPECT_EQ(nameProblemText(check), c.problem);
    }
}

}  // namespace
}  // namespace tilewright
