#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tilewright {

// One entry of a save dialog's file-type list.
struct SaveFilter {
    std::string description;            // "Binary Files (*.BIN)"
    std::vector<std::string> patterns;  // {"*.BIN"}
};

// Splits a filter string of description|patterns pairs ("Binary Files (*.BIN)|*.BIN"); several
// patterns in one entry are separated by ";". A description without patterns is dropped.
[[nodiscard]] std::vector<SaveFilter> parseSaveFilters(std::string_view filter);

// A shell pattern that matches the same names in any letter case: "*.BIN" becomes
// "*.[bB][iI][nN]". File names on Linux are case-sensitive, but "*.BIN" is meant as an
// extension, and files named x.bin are binary files too.
[[nodiscard]] std::string caseInsensitivePattern(std::string_view pattern);

}  // namespace tilewright
