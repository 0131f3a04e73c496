#include "cli/name_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tilewright {
namespace {

// Each entry as "line icon name -> file", each problem as "line: text".
std::vector<std::string> summary(const NameList& list) {
    std::vector<std::string> lines;
    for (const ListEntry& e : list.entries) {
        lines.push_back(std::to_string(e.line) + " " + iconDigit(e.icon) + " " + e.name + " -> " +
                        e.fileName);
    }
    for (const ListProblem& p : list.problems) {
        lines.push_back(std::to_string(p.line) + ": " + p.text);
    }
    return lines;
}

TEST(NameList, ParsesEachLineIntoAnEntryOrAProblem) {
    const struct {
        std::string text;
        std::vector<std::string> expected;
    } cases[] = {
        {"\xEF\xBB\xBF# league\r\n\r\n3 space race\r\n0 Red-Eye\n",
         {"3 3 SPACE RACE -> SPACE RACE", "4 0 RED-EYE -> RED-EYE"}},
        {"1 ACE\n  \t\n1 b", {"1 1 ACE -> ACE", "3 1 B -> B"}},
        {"6 SIX\n1 OK\nx ACE\n1ACE\n5 A&B\n",
         {"2 1 OK -> OK", "1: expected the icon (0-5), one space and the name",
          "3: expected the icon (0-5), one space and the name",
          "4: expected the icon (0-5), one space and the name",
          "5: character 2 of the name, \"&\" (U+0026), has no tile; names hold A-Z, 0-9, space "
          "and . ' ! - \" ,"}},
        {"2 ace\n1 ACE\n4 \n",
         {"1 2 ACE -> ACE", "2: writes the same file as line 1, \"ACE\"",
          "3: the name is empty; give 1 to 19 characters"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(summary(parseNameList(c.text)), c.expected);
    }
}

}  // namespace
}  // namespace tilewright
