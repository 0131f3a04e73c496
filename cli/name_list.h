#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rom/rom_image.h"

namespace tilewright {

// One image a list asks for.
struct ListEntry {
    std::size_t line;  // from 1
    std::string name;  // checked, in capitals
    IconChoice icon;
    std::string fileName;  // the name as the window's save dialog offers it
};

// A line that cannot become an image, and why.
struct ListProblem {
    std::size_t line;
    std::string text;
};

struct NameList {
    std::vector<ListEntry> entries;
    std::vector<ListProblem> problems;  // in line order, at most one a line
};

// A list of names: one image a line, the icon digit, one space, then the name to the end of the
// line. Blank lines and lines starting with '#' are skipped; a byte order mark and Windows line
// ends are allowed. Two lines whose images would go to the same file are a problem of the later
// one.
[[nodiscard]] NameList parseNameList(std::string_view text);

}  // namespace tilewright
